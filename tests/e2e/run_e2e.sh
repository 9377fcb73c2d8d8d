#!/bin/sh
# Runs the end-to-end tests against the Windows build already in build/.
# Builds nothing. Extra arguments go to pytest.
set -e
cd "$(dirname "$0")/../.."
exec /usr/bin/python3 -m pytest -q -p no:cacheprovider tests/e2e "$@"
