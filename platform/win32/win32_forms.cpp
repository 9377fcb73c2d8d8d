// Forms, their controls and timers as real windows of the system's classes.
//
// Every control is a child window of its form. A control whose parent is a
// group box or a panel sits at its parent's offset and is shown only while
// its parent is, so all notifications reach the form's window procedure.
#include <algorithm>
#include <climits>

#include "platform/win32/win32_platform.h"

namespace w32 {

namespace {

constexpr char kPanelClass[] = "VidsaverPanel";

HINSTANCE Instance() { return ::GetModuleHandleA(nullptr); }

void RegisterPanelClass() {
    static bool registered = false;
    if (registered) return;
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = &Win32Control::PanelProc;
    wc.hInstance = Instance();
    wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = kPanelClass;
    registered = ::RegisterClassExA(&wc) != 0;
}

bool IsContainer(plat::ControlKind kind) {
    return kind == plat::ControlKind::GroupBox || kind == plat::ControlKind::Panel;
}

bool IsPushButton(plat::ControlKind kind) {
    return kind == plat::ControlKind::BitButton || kind == plat::ControlKind::Button;
}

void RedrawNow(HWND hwnd) {
    if (hwnd) ::RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

}  // namespace

// --- Win32Control ------------------------------------------------------------------

Win32Control::Win32Control(Win32Form& form, const plat::ControlDesc& desc)
    : form_(form),
      desc_(desc),
      left_(desc.Left),
      top_(desc.Top),
      width_(std::max(0, desc.Width)),
      height_(std::max(0, desc.Height)),
      visible_(desc.Visible),
      caption_(desc.Caption),
      colour_(desc.Colour),
      min_(desc.Min),
      max_(desc.Max),
      position_(desc.Position) {
    position_ = Clamp(position_);
}

// The form destroys the windows before the controls.
Win32Control::~Win32Control() = default;

int Win32Control::Depth() const {
    int depth = 0;
    for (const Win32Control* p = parent_; p; p = p->parent_) ++depth;
    return depth;
}

int Win32Control::AbsLeft() const { return (parent_ ? parent_->AbsLeft() : 0) + left_; }
int Win32Control::AbsTop() const { return (parent_ ? parent_->AbsTop() : 0) + top_; }

bool Win32Control::ShownOnScreen() const {
    for (const Win32Control* c = this; c; c = c->parent_)
        if (!c->visible_) return false;
    return true;
}

void Win32Control::CreateHandle(int id, bool startsGroup) {
    DWORD style = WS_CHILD;
    const char* cls = nullptr;
    if (ShownOnScreen()) style |= WS_VISIBLE;
    if (startsGroup) style |= WS_GROUP;
    const bool tabStop = desc_.TabOrder >= 0;
    switch (desc_.Kind) {
        case plat::ControlKind::Label:
            cls = "STATIC";
            style |= desc_.WordWrap ? SS_LEFT : SS_LEFTNOWORDWRAP;
            break;
        case plat::ControlKind::Panel:
            RegisterPanelClass();
            cls = kPanelClass;
            break;
        case plat::ControlKind::GroupBox:
            cls = "BUTTON";
            style |= BS_GROUPBOX;
            break;
        case plat::ControlKind::RadioButton:
            // Checks are ours: one per parent. Only the chosen one is a tab stop.
            cls = "BUTTON";
            style |= BS_RADIOBUTTON;
            break;
        case plat::ControlKind::ScrollBar:
            cls = "SCROLLBAR";
            style |= SBS_HORZ | (tabStop ? WS_TABSTOP : 0);
            break;
        case plat::ControlKind::BitButton:
            cls = "BUTTON";
            style |= BS_OWNERDRAW | (tabStop ? WS_TABSTOP : 0);
            break;
        case plat::ControlKind::Button:
            cls = "BUTTON";
            style |= (desc_.Default ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | (tabStop ? WS_TABSTOP : 0);
            break;
        default:
            return;  // not a window
    }
    hwnd_ = ::CreateWindowExA(0, cls, caption_.c_str(), style, AbsLeft(), AbsTop(), width_, height_,
                              form_.Hwnd(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                              Instance(), this);
    if (!hwnd_) throw plat::Exception("Cannot create the control " + desc_.Name);
    ::SetWindowLongPtrA(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ::SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(EffectiveFont()), FALSE);

    switch (desc_.Kind) {
        case plat::ControlKind::ScrollBar:
            ApplyScrollInfo();
            break;
        case plat::ControlKind::BitButton:
            defaultLook_ = desc_.Default;
            originalProc_ = reinterpret_cast<WNDPROC>(::SetWindowLongPtrA(
                hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Win32Control::ButtonSubclassProc)));
            break;
        case plat::ControlKind::Label:
            if (desc_.AutoSize) AutoSizeLabel();
            break;
        default:
            break;
    }
}

void Win32Control::UpdatePlacement() {
    if (hwnd_) ::MoveWindow(hwnd_, AbsLeft(), AbsTop(), width_, height_, TRUE);
    for (Win32Control* child : children_) child->UpdatePlacement();
}

void Win32Control::UpdateShown() {
    if (hwnd_) ::ShowWindow(hwnd_, ShownOnScreen() ? SW_SHOWNA : SW_HIDE);
    for (Win32Control* child : children_) child->UpdateShown();
}

void Win32Control::Repaint() {
    RedrawNow(hwnd_);
    // Children without a colour of their own show this one.
    for (Win32Control* child : children_)
        if (!child->colour_) child->Repaint();
}

void Win32Control::SetLeft(int v) {
    left_ = v;
    UpdatePlacement();
}

void Win32Control::SetTop(int v) {
    top_ = v;
    UpdatePlacement();
}

void Win32Control::SetWidth(int v) {
    width_ = std::max(0, v);
    UpdatePlacement();
}

void Win32Control::SetHeight(int v) {
    height_ = std::max(0, v);
    UpdatePlacement();
}

void Win32Control::SetVisible(bool v) {
    visible_ = v;
    UpdateShown();
}

void Win32Control::SetCaption(const std::string& text) {
    caption_ = text;
    if (!hwnd_) return;
    ::SetWindowTextA(hwnd_, caption_.c_str());
    if (desc_.Kind == plat::ControlKind::Label && desc_.AutoSize) AutoSizeLabel();
    if (desc_.Kind == plat::ControlKind::Panel) RedrawNow(hwnd_);
}

plat::Color Win32Control::Colour() const {
    if (colour_) return *colour_;
    return parent_ ? parent_->Colour() : form_.Colour();
}

void Win32Control::SetColour(plat::Color c) {
    colour_ = c;
    Repaint();
}

plat::Color Win32Control::TextColour() const {
    return desc_.ParentFont ? form_.Desc().Font.Colour : desc_.Font.Colour;
}

HFONT Win32Control::EffectiveFont() const {
    return desc_.ParentFont ? form_.FormFont() : FontFor(desc_.Font);
}

void Win32Control::AutoSizeLabel() {
    HDC dc = ::GetDC(hwnd_);
    HGDIOBJ old = ::SelectObject(dc, EffectiveFont());
    RECT r{0, 0, desc_.WordWrap ? width_ : 0, 0};
    const std::string text = caption_.empty() ? std::string(" ") : caption_;
    ::DrawTextA(dc, text.c_str(), -1, &r,
                DT_CALCRECT | (desc_.WordWrap ? DT_WORDBREAK : DT_SINGLELINE) | DT_EXPANDTABS);
    ::SelectObject(dc, old);
    ::ReleaseDC(hwnd_, dc);
    // A wrapping label keeps its width and grows downwards.
    if (!desc_.WordWrap) width_ = r.right - r.left;
    height_ = r.bottom - r.top;
    UpdatePlacement();
}

// --- Radio buttons ---

void Win32Control::SetCheckedState(bool on) {
    checked_ = on;
    if (!hwnd_) return;
    ::SendMessageA(hwnd_, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
    LONG style = ::GetWindowLongA(hwnd_, GWL_STYLE);
    if (on && desc_.TabOrder >= 0)
        style |= WS_TABSTOP;
    else
        style &= ~WS_TABSTOP;
    ::SetWindowLongA(hwnd_, GWL_STYLE, style);
}

void Win32Control::SetChecked(bool on) {
    if (desc_.Kind != plat::ControlKind::RadioButton) return;
    SetCheckedState(on);
    if (on) form_.RadioChecked(*this);
}

void Win32Form::RadioChecked(Win32Control& radio) {
    for (const auto& c : controls_) {
        if (c.get() == &radio || c->Kind() != plat::ControlKind::RadioButton) continue;
        if (c->ParentControl() == radio.ParentControl() && c->Checked()) c->SetChecked(false);
    }
}

// --- Scroll bars ---

int Win32Control::Clamp(int v) const { return std::clamp(v, min_, std::max(min_, max_)); }

void Win32Control::ApplyScrollInfo() {
    if (!hwnd_ || desc_.Kind != plat::ControlKind::ScrollBar) return;
    SCROLLINFO si{};
    si.cbSize = sizeof(si);
    si.fMask = SIF_RANGE | SIF_POS | SIF_PAGE;
    si.nMin = min_;
    si.nMax = std::max(min_, max_);
    si.nPage = 0;
    si.nPos = position_;
    ::SetScrollInfo(hwnd_, SB_CTL, &si, TRUE);
}

void Win32Control::SetMax(int v) {
    max_ = v;
    position_ = Clamp(position_);
    ApplyScrollInfo();
}

void Win32Control::SetPosition(int v) {
    position_ = Clamp(v);
    if (hwnd_ && desc_.Kind == plat::ControlKind::ScrollBar)
        ::SetScrollPos(hwnd_, SB_CTL, position_, TRUE);
}

void Win32Control::HandleScroll(WPARAM wp) {
    if (desc_.Kind != plat::ControlKind::ScrollBar) return;
    const WORD code = LOWORD(wp);
    int pos = position_;
    switch (code) {
        case SB_LINELEFT: pos -= desc_.SmallChange; break;
        case SB_LINERIGHT: pos += desc_.SmallChange; break;
        case SB_PAGELEFT: pos -= desc_.LargeChange; break;
        case SB_PAGERIGHT: pos += desc_.LargeChange; break;
        case SB_THUMBPOSITION:
        case SB_THUMBTRACK: pos = static_cast<short>(HIWORD(wp)); break;
        case SB_LEFT: pos = min_; break;
        case SB_RIGHT: pos = max_; break;
        case SB_ENDSCROLL: break;
        default: return;
    }
    pos = Clamp(pos);
    // The handler sees the bar where it stands and may change the proposal;
    // the bar moves only afterwards.
    if (onScroll_) onScroll_(static_cast<plat::ScrollCode>(code), pos);
    SetPosition(pos);
}

// --- Buttons ---

void Win32Control::HandleCommand(WORD code) {
    if (code != BN_CLICKED) return;
    switch (desc_.Kind) {
        case plat::ControlKind::RadioButton:
            SetChecked(true);
            if (onClick_) onClick_();
            break;
        case plat::ControlKind::BitButton:
        case plat::ControlKind::Button:
            if (onClick_) onClick_();
            break;
        default:
            break;
    }
}

LRESULT Win32Control::HandleCtlColor(HDC dc) {
    ::SetTextColor(dc, ToColorRef(TextColour()));
    ::SetBkColor(dc, ToColorRef(Colour()));
    ::SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<LRESULT>(BrushFor(Colour()));
}

void Win32Control::HandleDrawItem(const DRAWITEMSTRUCT& item) {
    HDC dc = item.hDC;
    RECT rc = item.rcItem;
    const bool pushed = (item.itemState & ODS_SELECTED) != 0;
    const bool enabled = (item.itemState & ODS_DISABLED) == 0;

    ::FillRect(dc, &rc, ::GetSysColorBrush(COLOR_BTNFACE));
    if (defaultLook_) {
        ::FrameRect(dc, &rc, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
        ::InflateRect(&rc, -1, -1);
    }
    UINT frame = DFCS_BUTTONPUSH;
    if (pushed) frame |= defaultLook_ ? DFCS_FLAT : DFCS_PUSHED;
    ::DrawFrameControl(dc, &rc, DFC_BUTTON, frame);

    // Picture left of the text, the pair centred, as the framework lays
    // out its picture buttons.
    HGDIOBJ oldFont = ::SelectObject(dc, EffectiveFont());
    RECT textRect{0, 0, 0, 0};
    ::DrawTextA(dc, caption_.c_str(), -1, &textRect, DT_CALCRECT | DT_SINGLELINE);
    const int textW = textRect.right - textRect.left;
    const int textH = textRect.bottom - textRect.top;
    const Glyph glyph = GlyphNamed(desc_.Glyph, desc_.OkKind);
    const int glyphW = glyph == Glyph::None ? 0 : kGlyphSize;
    const int spacing = glyphW && textW ? 4 : 0;
    const int shift = pushed ? 1 : 0;
    int x = rc.left + (rc.right - rc.left - (glyphW + spacing + textW)) / 2 + shift;
    const int midY = (rc.top + rc.bottom) / 2 + shift;
    if (glyphW) {
        DrawGlyph(dc, glyph, x, midY - kGlyphSize / 2, enabled);
        x += glyphW + spacing;
    }
    RECT out{x, midY - textH / 2, x + textW, midY - textH / 2 + textH};
    ::SetBkMode(dc, TRANSPARENT);
    if (enabled) {
        ::SetTextColor(dc, ToColorRef(TextColour()));
        ::DrawTextA(dc, caption_.c_str(), -1, &out, DT_SINGLELINE);
    } else {
        ::SetTextColor(dc, ::GetSysColor(COLOR_BTNHIGHLIGHT));
        RECT lit = out;
        ::OffsetRect(&lit, 1, 1);
        ::DrawTextA(dc, caption_.c_str(), -1, &lit, DT_SINGLELINE);
        ::SetTextColor(dc, ::GetSysColor(COLOR_GRAYTEXT));
        ::DrawTextA(dc, caption_.c_str(), -1, &out, DT_SINGLELINE);
    }
    ::SelectObject(dc, oldFont);

    if (item.itemState & ODS_FOCUS) {
        RECT focus = rc;
        ::InflateRect(&focus, -3, -3);
        ::DrawFocusRect(dc, &focus);
    }
}

// The dialog manager asks buttons whether they are the default one and moves
// the default look with BM_SETSTYLE; an owner-drawn button would lose its
// drawing to that, so picture buttons keep the look as a flag.
LRESULT CALLBACK Win32Control::ButtonSubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<Win32Control*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self || !self->originalProc_) return ::DefWindowProcA(hwnd, msg, wp, lp);
    switch (msg) {
        case WM_GETDLGCODE:
            return DLGC_BUTTON | (self->defaultLook_ ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
        case BM_SETSTYLE: {
            const bool look = (wp & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
            if (look != self->defaultLook_) {
                self->defaultLook_ = look;
                if (lp) ::InvalidateRect(hwnd, nullptr, TRUE);
            }
            return 0;
        }
        default:
            return ::CallWindowProcA(self->originalProc_, hwnd, msg, wp, lp);
    }
}

LRESULT CALLBACK Win32Control::PanelProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Win32Control* self = nullptr;
    if (msg == WM_NCCREATE) {
        self = static_cast<Win32Control*>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams);
        ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<Win32Control*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    }
    if (!self) return ::DefWindowProcA(hwnd, msg, wp, lp);
    switch (msg) {
        case WM_ERASEBKGND: {
            RECT rc;
            ::GetClientRect(hwnd, &rc);
            ::FillRect(reinterpret_cast<HDC>(wp), &rc, BrushFor(self->Colour()));
            return 1;
        }
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = ::BeginPaint(hwnd, &ps);
            RECT rc;
            ::GetClientRect(hwnd, &rc);
            if (self->desc_.Bevel) ::DrawEdge(dc, &rc, BDR_RAISEDINNER, BF_RECT);
            if (!self->caption_.empty()) {
                HGDIOBJ old = ::SelectObject(dc, self->EffectiveFont());
                ::SetBkMode(dc, TRANSPARENT);
                ::SetTextColor(dc, ToColorRef(self->TextColour()));
                ::DrawTextA(dc, self->caption_.c_str(), -1, &rc,
                            DT_CENTER | DT_VCENTER | DT_SINGLELINE);
                ::SelectObject(dc, old);
            }
            ::EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_NCDESTROY:
            ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
            break;
        default:
            break;
    }
    return ::DefWindowProcA(hwnd, msg, wp, lp);
}

// --- Win32Timer ----------------------------------------------------------------------

Win32Timer::Win32Timer(Win32Platform& platform, int interval, bool enabled)
    : platform_(platform), id_(platform.AddTimer(this)), interval_(interval) {
    SetEnabled(enabled);
}

Win32Timer::~Win32Timer() { platform_.RemoveTimer(id_); }

void Win32Timer::SetEnabled(bool on) {
    if (on == enabled_) return;
    enabled_ = on;
    HWND wnd = platform_.AppWindow();
    if (enabled_ && interval_ > 0)
        ::SetTimer(wnd, id_, static_cast<UINT>(interval_), nullptr);
    else
        ::KillTimer(wnd, id_);
}

void Win32Timer::Fire() {
    if (enabled_ && onTimer_) onTimer_();
}

// --- Win32Form ------------------------------------------------------------------------

Win32Form::Win32Form(Win32Platform& platform, const plat::FormDesc& desc)
    : platform_(platform), desc_(desc), caption_(desc.Caption), colour_(desc.Colour) {}

Win32Form::~Win32Form() {
    // Players close their devices while the display window still exists.
    players_.clear();
    timers_.clear();
    if (hwnd_) ::DestroyWindow(hwnd_);
    hwnd_ = nullptr;
    if (bigIcon_) ::DestroyIcon(bigIcon_);
    if (smallIcon_) ::DestroyIcon(smallIcon_);
}

void Win32Form::RegisterWindowClass() {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    if (::GetClassInfoExA(Instance(), desc_.ClassName.c_str(), &wc)) return;
    wc = WNDCLASSEXA{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = &Win32Form::WndProc;
    wc.hInstance = Instance();
    wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = desc_.ClassName.c_str();
    if (!::RegisterClassExA(&wc))
        throw plat::Exception("Cannot register the window class " + desc_.ClassName);
}

void Win32Form::CreateWindowAndControls() {
    RegisterWindowClass();
    const int screenW = ::GetSystemMetrics(SM_CXSCREEN);
    const int screenH = ::GetSystemMetrics(SM_CYSCREEN);
    const bool hasGroupBox =
        std::any_of(desc_.Controls.begin(), desc_.Controls.end(),
                    [](const plat::ControlDesc& c) { return c.Kind == plat::ControlKind::GroupBox; });

    // Group boxes paint only their frame: the form must paint beneath them.
    DWORD style = hasGroupBox ? 0 : WS_CLIPCHILDREN;
    DWORD exStyle = desc_.StayOnTop ? WS_EX_TOPMOST : 0;
    int x = 0, y = 0, w = desc_.ClientWidth, h = desc_.ClientHeight;
    if (desc_.Border == plat::BorderStyle::None) {
        // No taskbar button: the saver is a tool window.
        style |= WS_POPUP;
        exStyle |= WS_EX_TOOLWINDOW;
        if (desc_.Maximized) {
            w = screenW;
            h = screenH;
        }
    } else {
        style |= WS_CAPTION;
        if (desc_.BorderIcons) style |= WS_SYSMENU | WS_MINIMIZEBOX;
        exStyle |= WS_EX_APPWINDOW;
        RECT r{0, 0, desc_.ClientWidth, desc_.ClientHeight};
        ::AdjustWindowRectEx(&r, style, FALSE, exStyle);
        w = r.right - r.left;
        h = r.bottom - r.top;
    }
    if (desc_.Centered) {
        x = (screenW - w) / 2;
        y = (screenH - h) / 2;
    }
    hwnd_ = ::CreateWindowExA(exStyle, desc_.ClassName.c_str(), caption_.c_str(), style, x, y, w, h,
                              nullptr, nullptr, Instance(), this);
    if (!hwnd_) throw plat::Exception("Cannot create the window " + desc_.ClassName);

    if (!desc_.Icon.empty()) {
        bigIcon_ = CreateProgramIcon(32);
        smallIcon_ = CreateProgramIcon(16);
        if (bigIcon_) ::SendMessageA(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_));
        if (smallIcon_)
            ::SendMessageA(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
    }

    for (const plat::ControlDesc& c : desc_.Controls) {
        switch (c.Kind) {
            case plat::ControlKind::MediaPlayer:
                players_[c.Name] = std::make_unique<Win32MediaPlayer>(c.AutoRewind);
                break;
            case plat::ControlKind::Timer:
                timers_[c.Name] = std::make_unique<Win32Timer>(platform_, c.Interval, c.Enabled);
                break;
            case plat::ControlKind::OpenDialog:
                break;  // never opened
            default:
                controls_.push_back(std::make_unique<Win32Control>(*this, c));
                byName_[c.Name] = controls_.back().get();
                break;
        }
    }
    for (const auto& c : controls_) {
        const std::string& parent = c->Desc().Parent;
        if (parent.empty()) continue;
        auto it = byName_.find(parent);
        if (it == byName_.end()) continue;  // unknown: on the form
        // A control never contains itself, however the names loop.
        bool loops = false;
        for (const Win32Control* p = it->second; p && !loops; p = p->ParentControl())
            loops = p == c.get();
        if (loops) continue;
        c->SetParentControl(it->second);
        it->second->Children().push_back(c.get());
    }

    // Windows are created in tab order, which the dialog manager follows
    // through the z-order; controls without a tab stop come after.
    std::vector<Win32Control*> order;
    for (const auto& c : controls_) order.push_back(c.get());
    auto tabKey = [](const Win32Control* c) {
        return c->Desc().TabOrder >= 0 ? c->Desc().TabOrder : INT_MAX;
    };
    std::stable_sort(order.begin(), order.end(),
                     [&](const Win32Control* a, const Win32Control* b) { return tabKey(a) < tabKey(b); });
    int id = 100;  // clear of IDOK and IDCANCEL
    const Win32Control* previous = nullptr;
    for (Win32Control* c : order) {
        // Arrow keys move within a run of radio buttons of one parent.
        const bool continuesRun = previous && c->Kind() == plat::ControlKind::RadioButton &&
                                  previous->Kind() == plat::ControlKind::RadioButton &&
                                  previous->ParentControl() == c->ParentControl();
        c->CreateHandle(id, !continuesRun);
        if (c->Hwnd()) byHwnd_[c->Hwnd()] = c;
        if (c->Desc().Default && IsPushButton(c->Kind()))
            ::SendMessageA(hwnd_, DM_SETDEFID, static_cast<WPARAM>(id), 0);
        ++id;
        previous = c;
    }
    // Containers go beneath everything, the outermost lowest, so that they
    // never cover or catch the clicks of what they contain.
    std::vector<Win32Control*> containers;
    for (Win32Control* c : order)
        if (IsContainer(c->Kind()) && c->Hwnd()) containers.push_back(c);
    std::stable_sort(containers.begin(), containers.end(),
                     [](const Win32Control* a, const Win32Control* b) { return a->Depth() > b->Depth(); });
    for (Win32Control* c : containers)
        ::SetWindowPos(c->Hwnd(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

    // A player's display is a control of the same form.
    for (const plat::ControlDesc& c : desc_.Controls) {
        if (c.Kind != plat::ControlKind::MediaPlayer || c.Display.empty()) continue;
        auto it = byName_.find(c.Display);
        if (it != byName_.end()) players_[c.Name]->SetDisplay(it->second);
    }
}

void Win32Form::Show() {
    if (closed_ || !hwnd_) return;
    if (desc_.Border == plat::BorderStyle::None && desc_.Maximized) {
        ::SetWindowPos(hwnd_, desc_.StayOnTop ? HWND_TOPMOST : HWND_TOP, 0, 0,
                       ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN),
                       SWP_SHOWWINDOW);
    } else {
        ::ShowWindow(hwnd_, desc_.Maximized ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
    }
    shown_ = true;
    // Keys typed now must reach this process.
    ::SetForegroundWindow(hwnd_);
    if (IsDialogLike())
        FocusFirstControl();
    else
        ::SetFocus(hwnd_);
    ::UpdateWindow(hwnd_);
}

void Win32Form::FocusFirstControl() {
    // Only a chosen radio button is a tab stop: a group with nothing chosen
    // is passed over, so focusing can never choose for the user.
    if (HWND first = ::GetNextDlgTabItem(hwnd_, nullptr, FALSE))
        ::SetFocus(first);
    else
        ::SetFocus(hwnd_);
    FixDefaultButton();
}

bool Win32Form::MoveAmongRadios(WPARAM key) {
    if (key != VK_UP && key != VK_DOWN && key != VK_LEFT && key != VK_RIGHT) return false;
    Win32Control* focused = ControlFor(::GetFocus());
    if (!focused || focused->Kind() != plat::ControlKind::RadioButton) return false;
    // The choices of one parent form one group, in tab order, even where
    // other controls stand between them in that order.
    std::vector<Win32Control*> group;
    for (const auto& c : controls_)
        if (c->Kind() == plat::ControlKind::RadioButton && c->ParentControl() == focused->ParentControl() &&
            c->Desc().TabOrder >= 0 && c->Hwnd() && c->ShownOnScreen())
            group.push_back(c.get());
    std::stable_sort(group.begin(), group.end(), [](const Win32Control* a, const Win32Control* b) {
        return a->Desc().TabOrder < b->Desc().TabOrder;
    });
    auto it = std::find(group.begin(), group.end(), focused);
    if (it == group.end() || group.size() < 2) return true;
    const std::size_t n = group.size();
    std::size_t index = static_cast<std::size_t>(it - group.begin());
    index = (key == VK_UP || key == VK_LEFT) ? (index + n - 1) % n : (index + 1) % n;
    Win32Control* next = group[index];
    ::SetFocus(next->Hwnd());
    next->HandleCommand(BN_CLICKED);
    FixDefaultButton();
    return true;
}

void Win32Form::AfterDialogKey(WPARAM) {
    // Arrow keys on radio buttons never get here: MoveAmongRadios takes them.
    FixDefaultButton();
}

void Win32Form::FixDefaultButton() {
    if (!defaultId_) return;
    Win32Control* focused = ControlFor(::GetFocus());
    if (focused && IsPushButton(focused->Kind())) return;
    // Off the buttons, Enter presses the default one: it shows that again.
    for (const auto& c : controls_) {
        if (!IsPushButton(c->Kind()) || !c->Hwnd()) continue;
        const bool isDefault = ::GetDlgCtrlID(c->Hwnd()) == defaultId_;
        ::SendMessageA(c->Hwnd(), BM_SETSTYLE, isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
    }
}

Win32Control* Win32Form::ControlFor(HWND child) const {
    if (!child) return nullptr;
    auto it = byHwnd_.find(child);
    return it == byHwnd_.end() ? nullptr : it->second;
}

RECT Win32Form::WindowRect() const {
    RECT r{};
    if (hwnd_) ::GetWindowRect(hwnd_, &r);
    return r;
}

int Win32Form::Left() const { return WindowRect().left; }
int Win32Form::Top() const { return WindowRect().top; }
int Win32Form::Width() const {
    const RECT r = WindowRect();
    return r.right - r.left;
}
int Win32Form::Height() const {
    const RECT r = WindowRect();
    return r.bottom - r.top;
}

void Win32Form::Move(int left, int top, int width, int height) {
    if (hwnd_)
        ::SetWindowPos(hwnd_, nullptr, left, top, std::max(0, width), std::max(0, height),
                       SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Form::SetLeft(int v) { Move(v, Top(), Width(), Height()); }
void Win32Form::SetTop(int v) { Move(Left(), v, Width(), Height()); }
void Win32Form::SetWidth(int v) { Move(Left(), Top(), v, Height()); }
void Win32Form::SetHeight(int v) { Move(Left(), Top(), Width(), v); }

bool Win32Form::Visible() const { return hwnd_ && ::IsWindowVisible(hwnd_); }

void Win32Form::SetVisible(bool v) {
    if (v)
        Show();
    else if (hwnd_)
        ::ShowWindow(hwnd_, SW_HIDE);
}

void Win32Form::SetCaption(const std::string& text) {
    caption_ = text;
    if (hwnd_) ::SetWindowTextA(hwnd_, caption_.c_str());
}

void Win32Form::SetColour(plat::Color c) {
    colour_ = c;
    RedrawNow(hwnd_);
    // The form clips its children: those that show its colour repaint too.
    for (const auto& control : controls_)
        if (!control->ParentControl() && !control->Desc().Colour) control->Repaint();
}

plat::Control& Win32Form::Find(const std::string& name) {
    auto it = byName_.find(name);
    if (it == byName_.end()) throw plat::Exception("no control named " + name);
    return *it->second;
}

plat::MediaPlayer& Win32Form::Player(const std::string& name) {
    auto it = players_.find(name);
    if (it == players_.end()) throw plat::Exception("no player named " + name);
    return *it->second;
}

plat::Timer& Win32Form::TimerNamed(const std::string& name) {
    auto it = timers_.find(name);
    if (it == timers_.end()) throw plat::Exception("no timer named " + name);
    return *it->second;
}

void Win32Form::Close() {
    if (closed_) return;
    closed_ = true;
    if (hwnd_) ::ShowWindow(hwnd_, SW_HIDE);
    platform_.FormClosed(*this);
}

LRESULT CALLBACK Win32Form::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Win32Form* self = nullptr;
    if (msg == WM_NCCREATE) {
        self = static_cast<Win32Form*>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams);
        self->hwnd_ = hwnd;
        ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<Win32Form*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    }
    if (!self) return ::DefWindowProcA(hwnd, msg, wp, lp);
    if (msg == WM_NCDESTROY) ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    LRESULT result = 0;
    try {
        result = self->HandleMessage(msg, wp, lp);
    } catch (const std::exception& e) {
        ReportException(e.what());
    } catch (...) {
        ReportException("Unknown error");
    }
    return result;
}

LRESULT Win32Form::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_ERASEBKGND: {
            RECT rc;
            ::GetClientRect(hwnd_, &rc);
            ::FillRect(reinterpret_cast<HDC>(wp), &rc, BrushFor(colour_));
            return 1;
        }
        case WM_COMMAND:
            // Escape arrives as IDCANCEL without a control: nothing happens.
            if (Win32Control* c = ControlFor(reinterpret_cast<HWND>(lp))) c->HandleCommand(HIWORD(wp));
            return 0;
        case WM_HSCROLL:
            if (Win32Control* c = ControlFor(reinterpret_cast<HWND>(lp))) c->HandleScroll(wp);
            return 0;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            if (Win32Control* c = ControlFor(reinterpret_cast<HWND>(lp)))
                return c->HandleCtlColor(reinterpret_cast<HDC>(wp));
            break;
        case WM_DRAWITEM: {
            const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
            if (Win32Control* c = ControlFor(item->hwndItem)) {
                c->HandleDrawItem(*item);
                return TRUE;
            }
            break;
        }
        case DM_GETDEFID:
            return defaultId_ ? MAKELRESULT(defaultId_, DC_HASDEFID) : 0;
        case DM_SETDEFID:
            defaultId_ = static_cast<int>(wp);
            return TRUE;
        case WM_NEXTDLGCTL: {
            HWND target = lp ? reinterpret_cast<HWND>(wp)
                             : ::GetNextDlgTabItem(hwnd_, ::GetFocus(), wp != 0);
            if (target) ::SetFocus(target);
            return 0;
        }
        case WM_ACTIVATE:
            if (!IsDialogLike()) break;
            if (LOWORD(wp) == WA_INACTIVE) {
                HWND focus = ::GetFocus();
                if (focus && ::IsChild(hwnd_, focus)) lastFocus_ = focus;
            } else if (lastFocus_ && ::IsWindow(lastFocus_) && ::IsWindowVisible(lastFocus_)) {
                ::SetFocus(lastFocus_);
            } else {
                FocusFirstControl();
            }
            return 0;
        case WM_CLOSE:
            Close();
            return 0;
        default:
            break;
    }
    return ::DefWindowProcA(hwnd_, msg, wp, lp);
}

}  // namespace w32
