// Forms, their controls and timers as Qt widgets.
//
// Every control is a widget inside its parent's widget (the form's window, a
// group box or a panel) at the position the form description gives, so the
// layout is the one the Windows saver has.
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <chrono>

#include "platform/linux/linux_platform.h"
#include "platform/linux/linux_x11.h"

namespace lnx {

namespace {

bool IsPushButton(plat::ControlKind kind) {
    return kind == plat::ControlKind::BitButton || kind == plat::ControlKind::Button;
}

// The form's own window: it reports its closing and gives Enter to the
// buttons, as the system's dialog manager does.
class FormWindow : public QWidget {
public:
    explicit FormWindow(QtForm& form) : form_(form) {}

protected:
    void closeEvent(QCloseEvent* event) override {
        event->accept();
        Guarded([this] { form_.Closed(); });
    }
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            // The button's handler may fail (a save refused): shown in a
            // box, as for a click, and the dialog goes on.
            bool pressed = false;
            Guarded([&] { pressed = form_.PressDefault(); });
            if (pressed) return;
        }
        QWidget::keyPressEvent(event);
    }

private:
    QtForm& form_;
};

// A panel shows its caption in the middle, as the framework's panels do.
class PanelWidget : public QWidget {
public:
    using QWidget::QWidget;
    QString caption;

protected:
    void paintEvent(QPaintEvent* event) override {
        QWidget::paintEvent(event);
        if (caption.isEmpty()) return;
        QPainter painter(this);
        painter.drawText(rect(), Qt::AlignCenter, caption);
    }
};

// A group box as the system draws it: an etched frame whose top line runs
// through the middle of the caption, and the children placed from the
// box's own top-left corner.
class GroupWidget : public QWidget {
public:
    using QWidget::QWidget;
    QString caption;

protected:
    void paintEvent(QPaintEvent* event) override {
        QWidget::paintEvent(event);
        QPainter painter(this);
        const QFontMetrics metrics(font());
        const int top = metrics.height() / 2;
        const QRect frame(0, top, width() - 2, height() - top - 2);
        const QColor shadow = palette().color(QPalette::Window).darker(150);
        const QColor light = palette().color(QPalette::Window).lighter(150);
        painter.setPen(light);
        painter.drawRect(frame.translated(1, 1));
        painter.setPen(shadow);
        painter.drawRect(frame);
        if (caption.isEmpty()) return;
        const QRect text(8, 0, metrics.horizontalAdvance(caption) + 4, metrics.height());
        painter.fillRect(text, palette().color(QPalette::Window));
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(text, Qt::AlignCenter, caption);
    }
};

class RadioWidget : public QRadioButton {
public:
    RadioWidget(QtControl& control, QWidget* parent) : QRadioButton(parent), control_(control) {}

protected:
    void keyPressEvent(QKeyEvent* event) override {
        int step = 0;
        switch (event->key()) {
            case Qt::Key_Up:
            case Qt::Key_Left: step = -1; break;
            case Qt::Key_Down:
            case Qt::Key_Right: step = 1; break;
            default: break;
        }
        bool moved = false;
        if (step) Guarded([&] { moved = control_.MoveAmongRadios(step); });
        if (!moved) QRadioButton::keyPressEvent(event);
    }
    // Checking is the control's business: one choice per group, and a click
    // on the chosen one keeps it chosen.
    void nextCheckState() override {}
    // The whole control takes clicks, not only its circle and caption.
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }

private:
    QtControl& control_;
};

// The bar tells its end of scrolling when the mouse or key lets go, as the
// system's bar does after every step.
class ScrollWidget : public QScrollBar {
public:
    ScrollWidget(QtControl& control, QWidget* parent)
        : QScrollBar(Qt::Horizontal, parent), control_(control) {}

protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        QScrollBar::mouseReleaseEvent(event);
        End();
    }
    void keyReleaseEvent(QKeyEvent* event) override {
        QScrollBar::keyReleaseEvent(event);
        if (!event->isAutoRepeat()) End();
    }

private:
    void End() {
        Guarded([this] { control_.Scrolled(plat::ScrollCode::EndScroll, control_.Position()); });
    }
    QtControl& control_;
};

plat::ScrollCode CodeFor(int action) {
    switch (action) {
        case QAbstractSlider::SliderSingleStepSub: return plat::ScrollCode::LineUp;
        case QAbstractSlider::SliderSingleStepAdd: return plat::ScrollCode::LineDown;
        case QAbstractSlider::SliderPageStepSub: return plat::ScrollCode::PageUp;
        case QAbstractSlider::SliderPageStepAdd: return plat::ScrollCode::PageDown;
        case QAbstractSlider::SliderToMinimum: return plat::ScrollCode::Top;
        case QAbstractSlider::SliderToMaximum: return plat::ScrollCode::Bottom;
        default: return plat::ScrollCode::Track;
    }
}

void SetBackground(QWidget* w, const std::optional<QColor>& colour) {
    if (!w) return;
    if (colour) {
        QPalette p = w->palette();
        p.setColor(QPalette::Window, *colour);
        w->setPalette(p);
        w->setAutoFillBackground(true);
    } else {
        w->setAutoFillBackground(false);
    }
    w->update();
}

void SetTextColour(QWidget* w, plat::Color colour) {
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, ToQColor(colour));
    p.setColor(QPalette::ButtonText, ToQColor(colour));
    w->setPalette(p);
}

}  // namespace

// --- QtControl ------------------------------------------------------------------------

QtControl::QtControl(QtForm& form, const plat::ControlDesc& desc)
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

QtControl::~QtControl() = default;

void QtControl::CreateWidget(QWidget* parent) {
    const QString text = QString::fromLocal8Bit(caption_.c_str());
    switch (desc_.Kind) {
        case plat::ControlKind::Label: {
            auto* label = new QLabel(text, parent);
            label->setTextFormat(Qt::PlainText);
            label->setWordWrap(desc_.WordWrap);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            widget_ = label;
            break;
        }
        case plat::ControlKind::Panel: {
            auto* panel = new PanelWidget(parent);
            panel->caption = text;
            widget_ = panel;
            break;
        }
        case plat::ControlKind::GroupBox: {
            auto* group = new GroupWidget(parent);
            group->caption = text;
            widget_ = group;
            break;
        }
        case plat::ControlKind::RadioButton: {
            auto* radio = new RadioWidget(*this, parent);
            radio->setText(text);
            radio->setAutoExclusive(false);
            QObject::connect(radio, &QAbstractButton::clicked, [this] { Guarded([this] { Clicked(); }); });
            widget_ = radio;
            break;
        }
        case plat::ControlKind::ScrollBar: {
            auto* bar = new ScrollWidget(*this, parent);
            bar->setRange(min_, std::max(min_, max_));
            // Right and End go up, as on the system's bars.
            bar->setInvertedControls(false);
            bar->setSingleStep(desc_.SmallChange);
            bar->setPageStep(desc_.LargeChange);
            bar->setValue(position_);
            QObject::connect(bar, &QAbstractSlider::actionTriggered, [this, bar](int action) {
                const int proposed = bar->sliderPosition();
                Guarded([&] { Scrolled(CodeFor(action), proposed); });
            });
            QObject::connect(bar, &QAbstractSlider::sliderReleased, [this, bar] {
                const int at = bar->sliderPosition();
                Guarded([&] { Scrolled(plat::ScrollCode::Position, at); });
            });
            widget_ = bar;
            break;
        }
        case plat::ControlKind::BitButton:
        case plat::ControlKind::Button: {
            auto* button = new QPushButton(text, parent);
            button->setIcon(GlyphIcon(desc_.Glyph, desc_.OkKind));
            button->setAutoDefault(false);
            button->setDefault(desc_.Default);
            QObject::connect(button, &QAbstractButton::clicked, [this] { Guarded([this] { Clicked(); }); });
            widget_ = button;
            break;
        }
        default:
            return;  // not a widget
    }
    widget_->setObjectName(QString::fromStdString(desc_.Name));
    widget_->setFont(desc_.ParentFont ? ToQFont(form_.FormDescription().Font) : ToQFont(desc_.Font));
    SetTextColour(widget_, desc_.ParentFont ? form_.FormDescription().Font.Colour : desc_.Font.Colour);
    const bool tabStop = desc_.TabOrder >= 0;
    if (desc_.Kind == plat::ControlKind::Label || desc_.Kind == plat::ControlKind::Panel ||
        desc_.Kind == plat::ControlKind::GroupBox)
        widget_->setFocusPolicy(Qt::NoFocus);
    else if (desc_.Kind != plat::ControlKind::RadioButton)
        widget_->setFocusPolicy(tabStop ? Qt::StrongFocus : Qt::ClickFocus);
    UpdateRadioFocus();
    ApplyColours();
    Place();
    if (desc_.Kind == plat::ControlKind::Label && desc_.AutoSize) AutoSizeLabel();
    widget_->setVisible(visible_);
}

plat::WindowHandle QtControl::Handle() const {
    if (!widget_) return 0;
    return static_cast<plat::WindowHandle>(widget_->internalWinId() ? widget_->internalWinId()
                                                                    : widget_->effectiveWinId());
}

void QtControl::Place() {
    if (widget_) widget_->setGeometry(left_, top_, width_, height_);
}

void QtControl::SetLeft(int v) {
    left_ = v;
    Place();
}

void QtControl::SetTop(int v) {
    top_ = v;
    Place();
}

void QtControl::SetWidth(int v) {
    width_ = std::max(0, v);
    Place();
}

void QtControl::SetHeight(int v) {
    height_ = std::max(0, v);
    Place();
}

void QtControl::SetVisible(bool v) {
    visible_ = v;
    if (widget_) widget_->setVisible(v);
}

void QtControl::SetCaption(const std::string& text) {
    caption_ = text;
    if (!widget_) return;
    const QString q = QString::fromLocal8Bit(text.c_str());
    switch (desc_.Kind) {
        case plat::ControlKind::Label:
            static_cast<QLabel*>(widget_.data())->setText(q);
            if (desc_.AutoSize) AutoSizeLabel();
            break;
        case plat::ControlKind::Panel:
            static_cast<PanelWidget*>(widget_.data())->caption = q;
            widget_->update();
            break;
        case plat::ControlKind::GroupBox:
            static_cast<GroupWidget*>(widget_.data())->caption = q;
            widget_->update();
            break;
        case plat::ControlKind::RadioButton:
        case plat::ControlKind::BitButton:
        case plat::ControlKind::Button:
            static_cast<QAbstractButton*>(widget_.data())->setText(q);
            break;
        default:
            break;
    }
}

void QtControl::AutoSizeLabel() {
    auto* label = static_cast<QLabel*>(widget_.data());
    // A wrapping label keeps its width and grows downwards.
    const QSize hint = label->sizeHint();
    if (desc_.WordWrap)
        height_ = label->heightForWidth(width_) > 0 ? label->heightForWidth(width_) : hint.height();
    else {
        width_ = hint.width();
        height_ = hint.height();
    }
    Place();
}

plat::Color QtControl::Colour() const {
    if (colour_) return *colour_;
    return parent_ ? parent_->Colour() : form_.Colour();
}

void QtControl::SetColour(plat::Color c) {
    colour_ = c;
    ApplyColours();
}

// Controls without a colour of their own are see-through: their parent's
// colour shows, also after it changes.
void QtControl::ApplyColours() {
    if (!widget_) return;
    if (colour_)
        SetBackground(widget_, ToQColor(*colour_));
    else
        SetBackground(widget_, std::nullopt);
}

void QtControl::ShowForm() {
    form_.Show();
    QWidget* window = form_.Window();
    if (!window || !window->windowHandle()) return;
    // Until the server has put the window on screen; input waits.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!window->windowHandle()->isExposed() && std::chrono::steady_clock::now() < deadline)
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
}

// --- Radio buttons ---

void QtControl::UpdateRadioFocus() {
    if (!widget_ || desc_.Kind != plat::ControlKind::RadioButton) return;
    // Only the chosen one is a tab stop: focus never chooses for the user.
    widget_->setFocusPolicy(checked_ && desc_.TabOrder >= 0 ? Qt::StrongFocus : Qt::ClickFocus);
}

void QtControl::SetChecked(bool on) {
    if (desc_.Kind != plat::ControlKind::RadioButton) return;
    checked_ = on;
    if (widget_) static_cast<QRadioButton*>(widget_.data())->setChecked(on);
    UpdateRadioFocus();
    if (on) form_.RadioChecked(*this);
}

bool QtControl::MoveAmongRadios(int step) {
    // The choices of one parent form one group, in tab order, even where
    // other controls stand between them in that order.
    std::vector<QtControl*> group;
    for (const auto& c : form_.Controls())
        if (c->Kind() == plat::ControlKind::RadioButton && c->ParentControl() == parent_ &&
            c->Desc().TabOrder >= 0 && c->Widget() && c->Widget()->isVisibleTo(form_.Window()))
            group.push_back(c.get());
    std::stable_sort(group.begin(), group.end(), [](const QtControl* a, const QtControl* b) {
        return a->Desc().TabOrder < b->Desc().TabOrder;
    });
    auto it = std::find(group.begin(), group.end(), this);
    if (it == group.end()) return false;
    if (group.size() < 2) return true;
    const std::size_t n = group.size();
    const std::size_t index = static_cast<std::size_t>(it - group.begin());
    QtControl* next = group[step < 0 ? (index + n - 1) % n : (index + 1) % n];
    next->Widget()->setFocus(Qt::TabFocusReason);
    next->Clicked();
    return true;
}

// --- Scroll bars ---

int QtControl::Clamp(int v) const { return std::clamp(v, min_, std::max(min_, max_)); }

void QtControl::SetMax(int v) {
    max_ = v;
    position_ = Clamp(position_);
    if (auto* bar = qobject_cast<QScrollBar*>(widget_.data())) {
        const QSignalBlocker quiet(bar);
        bar->setRange(min_, std::max(min_, max_));
        bar->setValue(position_);
    }
}

void QtControl::SetPosition(int v) {
    position_ = Clamp(v);
    if (auto* bar = qobject_cast<QScrollBar*>(widget_.data())) {
        const QSignalBlocker quiet(bar);
        bar->setValue(position_);
    }
}

void QtControl::Scrolled(plat::ScrollCode code, int proposed) {
    int pos = Clamp(proposed);
    // The handler sees the bar where it stands and may change the proposal;
    // the bar moves only afterwards.
    if (onScroll_) onScroll_(code, pos);
    position_ = Clamp(pos);
    if (auto* bar = qobject_cast<QScrollBar*>(widget_.data())) bar->setSliderPosition(position_);
}

// --- Buttons ---

void QtControl::Clicked() {
    if (desc_.Kind == plat::ControlKind::RadioButton) SetChecked(true);
    if (onClick_) onClick_();
}

// --- Timers ---------------------------------------------------------------------------

QtTimer::QtTimer(const plat::ControlDesc& desc)
    : timer_(std::make_unique<QTimer>()), enabled_(false), interval_(desc.Interval) {
    timer_->setInterval(interval_);
    QObject::connect(timer_.get(), &QTimer::timeout, [this] {
        if (!onTimer_) return;
        // A copy: the handler may replace itself.
        auto handler = onTimer_;
        Guarded([&] { handler(); });
    });
    SetEnabled(desc.Enabled);
}

QtTimer::~QtTimer() = default;

void QtTimer::SetEnabled(bool on) {
    enabled_ = on;
    if (on && interval_ > 0)
        timer_->start();
    else
        timer_->stop();
}

// --- QtForm ---------------------------------------------------------------------------

QtForm::QtForm(LinuxPlatform& platform, const plat::FormDesc& desc)
    : platform_(platform), fdesc_(desc), colour_(desc.Colour) {}

QtForm::~QtForm() {
    players_.clear();  // before the panels they draw into
    timers_.clear();
    if (window_) delete window_.data();
}

void QtForm::Build() {
    auto* window = new FormWindow(*this);
    window_ = window;
    window->setObjectName(QString::fromStdString(fdesc_.Name));
    Qt::WindowFlags flags = Qt::Window;
    if (fdesc_.Border == plat::BorderStyle::None) {
        flags |= Qt::FramelessWindowHint;
    } else if (!fdesc_.BorderIcons) {
        flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    }
    if (fdesc_.StayOnTop) flags |= Qt::WindowStaysOnTopHint;
    window->setWindowFlags(flags);
    window->setWindowTitle(QString::fromLocal8Bit(fdesc_.Caption.c_str()));
    window->setFont(ToQFont(fdesc_.Font));
    if (!fdesc_.Icon.empty()) window->setWindowIcon(ProgramIcon());
    if (fdesc_.Border == plat::BorderStyle::Single && !fdesc_.Maximized)
        window->setFixedSize(fdesc_.ClientWidth, fdesc_.ClientHeight);
    else
        window->resize(fdesc_.ClientWidth, fdesc_.ClientHeight);
    SetBackground(window, ToQColor(colour_));

    for (const plat::ControlDesc& c : fdesc_.Controls) {
        switch (c.Kind) {
            case plat::ControlKind::MediaPlayer:
                players_[c.Name] = std::make_unique<MpvPlayer>(c);
                continue;
            case plat::ControlKind::Timer:
                timers_[c.Name] = std::make_unique<QtTimer>(c);
                continue;
            default:
                break;
        }
        auto control = std::make_unique<QtControl>(*this, c);
        if (!c.Parent.empty()) control->SetParentControl(dynamic_cast<QtControl*>(&Find(c.Parent)));
        controls_.push_back(std::move(control));
    }
    // Widgets are made once every control knows its parent.
    std::vector<QtControl*> stops;
    for (const auto& c : controls_) {
        QtControl* parent = c->ParentControl();
        c->CreateWidget(parent && parent->Widget() ? parent->Widget() : window);
        if (c->Widget() && c->Desc().TabOrder >= 0) stops.push_back(c.get());
    }
    std::stable_sort(stops.begin(), stops.end(), [](const QtControl* a, const QtControl* b) {
        return a->Desc().TabOrder < b->Desc().TabOrder;
    });
    for (std::size_t i = 1; i < stops.size(); ++i)
        QWidget::setTabOrder(stops[i - 1]->Widget(), stops[i]->Widget());
    for (const plat::ControlDesc& c : fdesc_.Controls)
        if (c.Kind == plat::ControlKind::MediaPlayer && !c.Display.empty())
            players_[c.Name]->SetDisplay(&Find(c.Display));

    if (fdesc_.Centered) {
        if (QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect area = screen->geometry();
            window->move(area.x() + (area.width() - fdesc_.ClientWidth) / 2,
                         area.y() + (area.height() - fdesc_.ClientHeight) / 2);
        }
    }
    // The window exists from here on, so that its class can be named.
    window->winId();
    SetClassHint();
}

// Other programs find the saver by its window class and title, as on Windows.
void QtForm::SetClassHint() {
    if (!window_) return;
    x11::SetWindowClass(platform_.XDisplay(), static_cast<std::uintptr_t>(window_->winId()),
                        fdesc_.Name, fdesc_.ClassName);
}

void QtForm::Show() {
    if (closed_ || !window_ || shown_) return;
    shown_ = true;
    const bool coversScreen = fdesc_.Border == plat::BorderStyle::None && fdesc_.Maximized;
    if (coversScreen) {
        if (QScreen* screen = QGuiApplication::primaryScreen())
            window_->setGeometry(screen->geometry());
        window_->showFullScreen();
    } else if (fdesc_.Maximized) {
        window_->showMaximized();
    } else {
        window_->show();
    }
    window_->raise();
    window_->activateWindow();
    if (coversScreen) {
        // The saver takes every key and click, wherever the pointer is.
        window_->grabKeyboard();
        window_->grabMouse();
        // The server refuses a grab until the window is on screen.
        auto* retry = new QTimer(window_);
        auto tries = std::make_shared<int>(0);
        QObject::connect(retry, &QTimer::timeout, [this, retry, tries] {
            QWindow* handle = window_ ? window_->windowHandle() : nullptr;
            const bool done =
                !handle || QWidget::keyboardGrabber() != window_ ||
                (handle->setKeyboardGrabEnabled(true) && handle->setMouseGrabEnabled(true));
            if (done || ++*tries > 100) retry->deleteLater();
            else retry->start();
        });
        retry->setSingleShot(true);
        retry->start(20);
        window_->setFocus();
    } else {
        // The first tab stop takes the focus.
        for (QWidget* w = window_->nextInFocusChain(); w && w != window_; w = w->nextInFocusChain()) {
            if ((w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(window_) && w->isEnabled()) {
                w->setFocus(Qt::TabFocusReason);
                break;
            }
        }
    }
}

plat::WindowHandle QtForm::Handle() const {
    return window_ ? static_cast<plat::WindowHandle>(window_->winId()) : 0;
}

int QtForm::Left() const { return window_ ? window_->x() : 0; }
int QtForm::Top() const { return window_ ? window_->y() : 0; }
int QtForm::Width() const { return window_ ? window_->width() : 0; }
int QtForm::Height() const { return window_ ? window_->height() : 0; }
void QtForm::SetLeft(int v) { if (window_) window_->move(v, window_->y()); }
void QtForm::SetTop(int v) { if (window_) window_->move(window_->x(), v); }
void QtForm::SetWidth(int v) { if (window_) window_->resize(std::max(0, v), window_->height()); }
void QtForm::SetHeight(int v) { if (window_) window_->resize(window_->width(), std::max(0, v)); }
bool QtForm::Visible() const { return window_ && window_->isVisible(); }

void QtForm::SetVisible(bool v) {
    if (v) {
        Show();
    } else if (window_) {
        window_->hide();
        shown_ = false;
    }
}

std::string QtForm::Caption() const { return fdesc_.Caption; }

void QtForm::SetCaption(const std::string& text) {
    fdesc_.Caption = text;
    if (window_) window_->setWindowTitle(QString::fromLocal8Bit(text.c_str()));
}

void QtForm::SetColour(plat::Color c) {
    colour_ = c;
    SetBackground(window_, ToQColor(c));
    if (window_) window_->repaint();
}

plat::Control& QtForm::Find(const std::string& name) {
    for (const auto& c : controls_)
        if (c->Name() == name) return *c;
    throw plat::Exception("Component " + name + " not found");
}

plat::MediaPlayer& QtForm::Player(const std::string& name) {
    auto it = players_.find(name);
    if (it == players_.end()) throw plat::Exception("Component " + name + " not found");
    return *it->second;
}

plat::Timer& QtForm::TimerNamed(const std::string& name) {
    auto it = timers_.find(name);
    if (it == timers_.end()) throw plat::Exception("Component " + name + " not found");
    return *it->second;
}

void QtForm::Close() {
    // Hidden, not closed through Qt: that would destroy the window, and the
    // player library could still be drawing into the picture's window.
    Closed();
}

void QtForm::Closed() {
    if (closed_) return;
    closed_ = true;
    if (window_) {
        window_->releaseKeyboard();
        window_->releaseMouse();
        window_->hide();
    }
    platform_.FormClosed(*this);
}

void QtForm::RadioChecked(QtControl& radio) {
    for (const auto& c : controls_) {
        if (c.get() == &radio || c->Kind() != plat::ControlKind::RadioButton) continue;
        if (c->ParentControl() == radio.ParentControl() && c->Checked()) c->SetChecked(false);
    }
}

bool QtForm::PressDefault() {
    QWidget* focus = QApplication::focusWidget();
    for (const auto& c : controls_) {
        if (IsPushButton(c->Kind()) && c->Widget() && c->Widget() == focus) {
            c->Clicked();
            return true;
        }
    }
    for (const auto& c : controls_) {
        if (IsPushButton(c->Kind()) && c->Desc().Default && c->Widget() &&
            c->Widget()->isVisibleTo(window_) && c->Widget()->isEnabled()) {
            c->Clicked();
            return true;
        }
    }
    return false;
}

}  // namespace lnx
