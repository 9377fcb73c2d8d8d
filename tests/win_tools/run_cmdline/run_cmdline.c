/* Starts the command line held in VIDSAVER_RUN_CMDLINE exactly as written,
 * waits for it and exits with its exit code. Wine escapes the quotes of
 * arguments handed over from Unix, so a program cannot otherwise be given a
 * command line such as  saver.scr "/s"  with real quotes in it.
 * The child is put in a job that dies with this process, so killing the
 * launcher also ends the child. */
#include <windows.h>
#include <stdio.h>

int main(void)
{
    static char cmdline[32768];
    DWORD n = GetEnvironmentVariableA("VIDSAVER_RUN_CMDLINE", cmdline, sizeof cmdline);
    if (n == 0 || n >= sizeof cmdline) {
        fprintf(stderr, "run_cmdline: VIDSAVER_RUN_CMDLINE not set\n");
        return 250;
    }
    SetEnvironmentVariableA("VIDSAVER_RUN_CMDLINE", NULL);

    HANDLE job = CreateJobObjectA(NULL, NULL);
    if (job != NULL) {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits;
        ZeroMemory(&limits, sizeof limits);
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    }

    STARTUPINFOA si;
    PROCESS_INFORMATION pi;
    ZeroMemory(&si, sizeof si);
    si.cb = sizeof si;
    if (!CreateProcessA(NULL, cmdline, NULL, NULL, FALSE, CREATE_SUSPENDED, NULL, NULL, &si, &pi)) {
        fprintf(stderr, "run_cmdline: CreateProcessA failed (%lu)\n", GetLastError());
        return 251;
    }
    if (job != NULL)
        AssignProcessToJobObject(job, pi.hProcess);
    ResumeThread(pi.hThread);
    CloseHandle(pi.hThread);
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 252;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    return (int)code;
}
