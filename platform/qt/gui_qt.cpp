// The window layer drawn with Qt Widgets. Qt's own event loop is never
// entered: gui_host_pump and the two waits process host events, and the
// widgets turn what the user does into events on their window's queue.
#include "platform/qt/gui_qt.h"
#include "platform/qt/gui_qt_menu_keys.h"

#include "platform/clock.h"
#include "platform/file_pattern.h"
#include "platform/paths.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QButtonGroup>
#include <QGuiApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QColor>
#include <QComboBox>
#include <QCursor>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QStandardPaths>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QSlider>
#include <QSpinBox>
#include <QStyleOptionButton>
#include <QStyleOptionFrame>
#include <QStylePainter>
#include <QToolTip>
#include <QThread>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QHeaderView>
#include <QUrl>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <QWindow>

#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <map>
#include <thread>
#include <utility>

namespace {

QApplication* app = nullptr;
bool (*break_poll)() = nullptr;
void (*display_lost)() = nullptr;
bool display_gone = false;

// Takes in host events, unless the display went away.
void pump(QEventLoop::ProcessEventsFlags flags) {
    if (app && !display_gone) QApplication::processEvents(flags);
}
std::vector<QPointer<QMessageBox>> notices; // the boxes that do not wait, while shown
int app_argc = 1;
char app_name[] = "brindlemox";
char* app_argv[] = {app_name, nullptr};

struct QtWindow;
std::map<int, QtWindow*> windows;
// Closed windows whose widgets Qt has yet to delete: their handlers may still
// be called until then, so their records stay as long.
std::vector<std::pair<QPointer<QWidget>, QtWindow*>> closing;
std::map<int, QPixmap> images;
int next_window = 1;
int next_image = 1;

void post(QtWindow* w, GuiEvent e);

// The guest display: a host pixel buffer of colour indices shown through
// a colour table, drawn 1:1 and centred. A picture area of a tool window is
// the same, drawn from its top left corner and never taking the key focus.
class DisplayWidget : public QWidget {
  public:
    DisplayWidget(QtWindow* owner, int gid, bool picture = false)
        : owner_(owner), gid_(gid), picture_(picture) {
        setFocusPolicy(picture ? Qt::NoFocus : Qt::StrongFocus);
        setMouseTracking(true);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }
    void attach(const std::uint8_t* p, int w, int h, int stride, const std::uint32_t* t, int n) {
        pixels_ = p;
        width_ = w;
        height_ = h;
        stride_ = stride;
        colours_ = t;
        count_ = n < 256 ? n : 256;
        setMinimumSize(w, h);
        update();
    }
    void recolour(const std::uint32_t* t, int n) {
        own_.assign(t, t + (n < 256 ? n : 256));
        colours_ = own_.data();
        count_ = static_cast<int>(own_.size());
        update();
    }
    QRect picture() const {
        if (picture_) return QRect(0, 0, width_, height_);
        return QRect((width() - width_) / 2, (height() - height_) / 2, width_, height_);
    }
    // The rows `count` from `first` on changed: only they are painted again.
    void update_rows(int first, int count) {
        const QRect pic = picture();
        update(QRect(pic.left(), pic.top() + first, width_, count));
    }

  protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override {
        QPainter p(this);
        p.fillRect(rect(), Qt::black);
        if (!pixels_ || width_ <= 0 || height_ <= 0) return;
        // Only the rows of the picture that the painted area covers are
        // turned into colours.
        const QRect pic = picture();
        const QRect part = e->rect() & pic;
        if (part.isEmpty()) return;
        const int first = part.top() - pic.top();
        QImage img(pixels_ + static_cast<std::size_t>(first) * stride_, width_, part.height(),
                   stride_, QImage::Format_Indexed8);
        QList<QRgb> table(256, 0xFF000000u);
        for (int i = 0; i < count_; ++i)
            table[i] = 0xFF000000u | colours_[i];
        img.setColorTable(table);
        p.drawImage(QPoint(pic.left(), part.top()), img);
    }
    void mousePressEvent(QMouseEvent* e) override { button(e, false); }
    void mouseReleaseEvent(QMouseEvent* e) override { button(e, true); }
    void mouseMoveEvent(QMouseEvent* e) override;
    // The pointer left a picture: a move to (-1, -1), outside every picture.
    void leaveEvent(QEvent*) override {
        if (!picture_) return;
        GuiEvent g;
        g.type = GE_MOUSEMOVE;
        g.gid = gid_;
        g.x = g.y = -1;
        g.qualifier = qt_qualifiers(QApplication::keyboardModifiers(), QApplication::mouseButtons(), -1, false);
        post(owner_, g);
    }
    void wheelEvent(QWheelEvent* e) override;

  private:
    void button(QMouseEvent* e, bool up);
    QtWindow* owner_;
    int gid_;
    bool picture_;
    const std::uint8_t* pixels_ = nullptr;
    int width_ = 0, height_ = 0, stride_ = 0;
    const std::uint32_t* colours_ = nullptr;
    std::vector<std::uint32_t> own_;
    int count_ = 0;
};

// The palette of buttons of background `rgb` (0x00RRGGBB), dark text on it.
// One palette per colour serves every button, whatever window it is in: the
// style keeps the faces it draws under the palette's key, and never forgets
// a key once used, so a palette of its own for each button (as a style sheet
// gives, at every painting) would grow the program at every opening.
const QPalette& colour_palette(int rgb) {
    static std::map<int, QPalette> made;
    auto it = made.find(rgb);
    if (it == made.end()) {
        QPalette p = QApplication::palette("QPushButton");
        p.setBrush(QPalette::Button, QColor(QRgb(static_cast<unsigned>(rgb))));
        p.setBrush(QPalette::ButtonText, QColor(Qt::black));
        it = made.emplace(rgb, p).first;
    }
    return it->second;
}

// A push button that also reports the middle mouse button, as a mouse event
// of its window with its gadget id. A button with a background colour or its
// text at the left is drawn here, through a palette shared with every button
// of its colour; its style sheet (set_background) gives its size.
class MiddleButton : public QPushButton {
  public:
    MiddleButton(QtWindow* owner, int gid, const QString& text)
        : QPushButton(text), owner_(owner), gid_(gid) {}
    void set_look(int rgb, bool text_left) {
        rgb_ = rgb;
        text_left_ = text_left;
        update();
    }

  protected:
    void paintEvent(QPaintEvent* e) override {
        if (rgb_ < 0 && !text_left_) {
            QPushButton::paintEvent(e);
            return;
        }
        QStyleOptionButton opt;
        initStyleOption(&opt);
        opt.palette = rgb_ >= 0 ? colour_palette(rgb_) : QApplication::palette("QPushButton");
        QPainter p(this);
        QStyle* style = QApplication::style();
        if (!text_left_) {
            style->drawControl(QStyle::CE_PushButton, &opt, &p, this);
            return;
        }
        style->drawControl(QStyle::CE_PushButtonBevel, &opt, &p, this);
        QRect room = rect().adjusted(5, 2, -5, -2);
        if (!opt.icon.isNull()) {
            const QRect at(room.left(), room.top() + (room.height() - opt.iconSize.height()) / 2,
                           opt.iconSize.width(), opt.iconSize.height());
            opt.icon.paint(&p, at, Qt::AlignCenter, isEnabled() ? QIcon::Normal : QIcon::Disabled);
            room.setLeft(at.right() + 5);
        }
        style->drawItemText(&p, room, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic,
                            opt.palette, isEnabled(), text(), QPalette::ButtonText);
    }
    void mousePressEvent(QMouseEvent* e) override {
        if (e->button() == Qt::MiddleButton)
            report(e, false);
        else
            QPushButton::mousePressEvent(e);
    }
    void mouseReleaseEvent(QMouseEvent* e) override {
        if (e->button() == Qt::MiddleButton)
            report(e, true);
        else
            QPushButton::mouseReleaseEvent(e);
    }

  private:
    void report(QMouseEvent* e, bool up);
    QtWindow* owner_;
    int gid_;
    int rgb_ = -1;
    bool text_left_ = false;
};

// The command line and other entries: Return, Tab and Esc end an edit with
// that code; cursor up and down go to the owner (history).
class EntryWidget : public QLineEdit {
  public:
    EntryWidget(QtWindow* owner, int gid) : owner_(owner), gid_(gid) {}

  protected:
    bool event(QEvent* e) override {
        if (e->type() == QEvent::KeyPress) {
            auto* k = static_cast<QKeyEvent*>(e);
            int code = -1;
            if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter)
                code = 13;
            else if (k->key() == Qt::Key_Tab)
                code = 9;
            else if (k->key() == Qt::Key_Escape)
                code = 69;
            if (code >= 0) {
                GuiEvent g;
                g.type = GE_GADGET;
                g.gid = gid_;
                g.code = code;
                post(owner_, g);
                return true;
            }
            if (k->key() == Qt::Key_Up || k->key() == Qt::Key_Down) {
                GuiEvent g;
                g.type = GE_EDITKEY;
                g.gid = gid_;
                g.code = k->key() == Qt::Key_Up ? 0x4C : 0x4D;
                g.qualifier = qt_qualifiers(k->modifiers(), Qt::NoButton, g.code, false);
                post(owner_, g);
                return true;
            }
        }
        return QLineEdit::event(e);
    }

  private:
    QtWindow* owner_;
    int gid_;
};

// A read-only field. Asked to (show_whole), a text wider than the field is
// also shown whole on a note laid over the window just above the field, as
// wide as the window and wrapped to it, and as the field's hover text.
class WholeTextField : public QLineEdit {
  public:
    WholeTextField() {
        setReadOnly(true);
        setFocusPolicy(Qt::NoFocus);
        QObject::connect(this, &QLineEdit::textChanged, [this] { follow(); });
    }
    void show_whole(bool on) {
        whole_ = on;
        follow();
    }

  protected:
    void resizeEvent(QResizeEvent* e) override {
        QLineEdit::resizeEvent(e);
        follow();
    }
    void showEvent(QShowEvent* e) override {
        QLineEdit::showEvent(e);
        window()->installEventFilter(this);
        follow();
    }
    void hideEvent(QHideEvent* e) override {
        QLineEdit::hideEvent(e);
        if (note_) note_->hide();
    }
    // The window's size changes move the field within it.
    bool eventFilter(QObject* o, QEvent* e) override {
        if (o == window() && (e->type() == QEvent::Resize || e->type() == QEvent::LayoutRequest))
            QTimer::singleShot(0, this, [this] { follow(); });
        return false;
    }

  private:
    bool fits() const {
        QStyleOptionFrame opt;
        initStyleOption(&opt);
        const QRect room = style()->subElementRect(QStyle::SE_LineEditContents, &opt, this);
        return fontMetrics().horizontalAdvance(text()) <= room.width() - 4; // the text's own margins
    }
    void follow() {
        if (!whole_ || !isVisible() || text().isEmpty() || fits()) {
            if (note_) note_->hide();
            if (shown_) setToolTip(QString());
            shown_ = false;
            return;
        }
        QWidget* top = window();
        if (!note_ || note_->parentWidget() != top) {
            delete note_;
            note_ = new QLabel(top);
            note_->setWordWrap(true);
            note_->setFrameStyle(QFrame::Box | QFrame::Plain);
            note_->setMargin(2);
            note_->setPalette(QToolTip::palette());
            note_->setAutoFillBackground(true);
            note_->setAttribute(Qt::WA_TransparentForMouseEvents);
        }
        note_->setText(text());
        const int width = top->width() - 4;
        const int height = note_->heightForWidth(width);
        const QPoint at = mapTo(top, QPoint(0, 0));
        note_->setGeometry(2, std::max(0, at.y() - height), width, height);
        note_->raise();
        note_->show();
        setToolTip(text());
        shown_ = true;
    }
    bool whole_ = false, shown_ = false;
    QPointer<QLabel> note_;
};

class HostWindow;

struct Gadget {
    GuiKind kind = GK_SPACE;
    QWidget* widget = nullptr;
    std::vector<QToolButton*> bar;
    QButtonGroup* radios = nullptr; // GK_RADIO: its buttons by choice number
    int visible = 0;                // GK_SCROLLER: lines in view
    int value = 0;
    bool key_mark = false; // GK_BUTTON, GK_CHECKBOX: made with a "_" marking its key
};

// A slider's range: a click on its track moves the knob a tenth of the way
// (one step on a short range) towards the click.
void slider_range(QSlider* s, int min, int max) {
    s->setRange(min, max);
    s->setPageStep(std::max(1, (max - min) / 10));
}

// A scroller's range: its top goes from 0 to the last full view.
void scroller_range(QScrollBar* b, int total, int visible) {
    b->setRange(0, total - visible > 0 ? total - visible : 0);
    b->setPageStep(visible > 0 ? visible : 1);
}

struct QtWindow {
    int handle = 0;
    HostWindow* widget = nullptr;
    std::map<int, Gadget> gadgets;
    std::deque<GuiEvent> queue;
    std::map<int, QAction*> actions;
    std::map<int, QActionGroup*> groups; // exclusive radio groups by number
    QMenuBar* menubar = nullptr;
    bool ready = false;
    int last_height = 0;
    std::string help_node; // what the Help key opens here ("" none)
    bool keys_to_window = false; // its handler takes the keys and the wheel
};

void post(QtWindow* w, GuiEvent e) {
    if (w && w->ready) w->queue.push_back(std::move(e));
}

class HostWindow : public QWidget {
  public:
    explicit HostWindow(QtWindow* owner) : owner_(owner) {}

  protected:
    void closeEvent(QCloseEvent* e) override {
        e->ignore();
        GuiEvent g;
        g.type = GE_CLOSE;
        post(owner_, g);
    }
    void moveEvent(QMoveEvent*) override {
        GuiEvent g;
        g.type = GE_MOVED;
        post(owner_, g);
    }
    void resizeEvent(QResizeEvent*) override {
        if (!owner_->ready) return;
        GuiEvent g;
        g.type = height() != owner_->last_height ? GE_NEWSIZE : GE_MOVED;
        g.x = width();
        g.y = height();
        owner_->last_height = height();
        post(owner_, g);
    }
    void keyPressEvent(QKeyEvent* e) override { key(e); }
    void keyReleaseEvent(QKeyEvent* e) override { key(e); }
    // A window that takes the keys takes the wheel too, over whatever gadget
    // did not use the turn (its buttons, labels, background): gadget 0.
    void wheelEvent(QWheelEvent* e) override;
    // Clicks that no gadget took (the background, labels, pictures): gadget 0.
    void mousePressEvent(QMouseEvent* e) override { mouse(e, false); }
    void mouseReleaseEvent(QMouseEvent* e) override { mouse(e, true); }
    void mouse(QMouseEvent* e, bool up) {
        GuiEvent g;
        g.type = GE_MOUSEBUTTON;
        const int b = e->button() == Qt::LeftButton ? 1 : e->button() == Qt::MiddleButton ? 2 : 3;
        g.code = up ? b + RAWKEY_UP : b;
        g.x = static_cast<int>(e->position().x());
        g.y = static_cast<int>(e->position().y());
        g.qualifier = qt_qualifiers(e->modifiers(), e->buttons(), -1, false);
        post(owner_, g);
    }
    void changeEvent(QEvent* e) override {
        GuiEvent g;
        if (e->type() == QEvent::ActivationChange) {
            g.type = isActiveWindow() ? GE_ACTIVE : GE_INACTIVE;
            post(owner_, g);
        } else if (e->type() == QEvent::WindowStateChange) {
            hold_size(isMinimized());
            if (isMinimized()) {
                g.type = GE_ICONIFY;
                post(owner_, g);
            }
        }
        QWidget::changeEvent(e);
    }
    // A minimised window keeps its size while what it shows changes (a machine
    // switch gives the display another size): the host layer would map a
    // window resized while minimised again, back on the desktop. Its layout
    // sizes it once it is shown again.
    void hold_size(bool held) {
        QLayout* lay = layout();
        if (!lay || held == size_held_) return;
        size_held_ = held;
        if (held) {
            kept_constraint_ = lay->sizeConstraint();
            lay->setSizeConstraint(QLayout::SetNoConstraint);
        } else {
            if (lay->sizeConstraint() == QLayout::SetNoConstraint) lay->setSizeConstraint(kept_constraint_);
            lay->activate();
        }
    }
    bool size_held_ = false;
    QLayout::SizeConstraint kept_constraint_ = QLayout::SetDefaultConstraint;
    void dragEnterEvent(QDragEnterEvent* e) override {
        if (e->mimeData()->hasUrls()) e->acceptProposedAction();
    }
    void dropEvent(QDropEvent* e) override {
        const QList<QUrl> urls = e->mimeData()->urls();
        GuiEvent g;
        g.type = GE_DROP;
        g.code = static_cast<int>(urls.size());
        if (!urls.isEmpty() && urls.first().isLocalFile())
            g.text = urls.first().toLocalFile().toStdString();
        post(owner_, g);
        e->acceptProposedAction();
    }

  public:
    void key(QKeyEvent* e) {
        int raw = qt_raw_key(e);
        if (raw < 0) return;
        if (raw == QT_RAW_HELP && !owner_->help_node.empty()) {
            if (e->type() == QEvent::KeyPress && !e->isAutoRepeat())
                qt_help_key(owner_->help_node);
            return;
        }
        GuiEvent g;
        g.type = GE_RAWKEY;
        g.code = e->type() == QEvent::KeyRelease ? raw + RAWKEY_UP : raw;
        if (e->isAutoRepeat() && e->type() == QEvent::KeyRelease) return;
        g.qualifier =
            qt_qualifiers(e->modifiers(), QApplication::mouseButtons(), raw, e->isAutoRepeat());
        post(owner_, g);
    }

  private:
    QtWindow* owner_;
};

bool DisplayWidget::event(QEvent* e) {
    if (e->type() == QEvent::KeyPress || e->type() == QEvent::KeyRelease) {
        owner_->widget->key(static_cast<QKeyEvent*>(e));
        return true;
    }
    return QWidget::event(e);
}

void DisplayWidget::button(QMouseEvent* e, bool up) {
    GuiEvent g;
    g.type = GE_MOUSEBUTTON;
    g.gid = gid_;
    int b = e->button() == Qt::LeftButton ? 1 : e->button() == Qt::MiddleButton ? 2 : 3;
    g.code = up ? b + RAWKEY_UP : b;
    QPoint at = mapTo(owner_->widget, e->position().toPoint());
    g.x = at.x();
    g.y = at.y();
    g.qualifier = qt_qualifiers(e->modifiers(), e->buttons(), -1, false);
    post(owner_, g);
}

void MiddleButton::report(QMouseEvent* e, bool up) {
    GuiEvent g;
    g.type = GE_MOUSEBUTTON;
    g.gid = gid_;
    g.code = up ? 2 + RAWKEY_UP : 2;
    QPoint at = mapTo(owner_->widget, e->position().toPoint());
    g.x = at.x();
    g.y = at.y();
    g.qualifier = qt_qualifiers(e->modifiers(), e->buttons(), -1, false);
    post(owner_, g);
}

void DisplayWidget::mouseMoveEvent(QMouseEvent* e) {
    GuiEvent g;
    g.type = GE_MOUSEMOVE;
    g.gid = gid_;
    QPoint at = mapTo(owner_->widget, e->position().toPoint());
    g.x = at.x();
    g.y = at.y();
    g.qualifier = qt_qualifiers(e->modifiers(), e->buttons(), -1, false);
    post(owner_, g);
}

// The wheel turned over gadget `gid`: one step up or down for the window's
// handler. The desktop may hand a turn made with Alt held over as a sideways
// one; it is still the wheel's turn.
void post_wheel(QtWindow* owner, int gid, const QWheelEvent* e) {
    int dy = e->angleDelta().y();
    if (dy == 0 && (e->modifiers() & Qt::AltModifier)) dy = e->angleDelta().x();
    if (dy == 0) return;
    GuiEvent g;
    g.type = GE_WHEEL;
    g.gid = gid;
    g.code = dy > 0 ? -1 : 1;
    g.qualifier = qt_qualifiers(e->modifiers(), e->buttons(), -1, false);
    post(owner, g);
}

void DisplayWidget::wheelEvent(QWheelEvent* e) {
    post_wheel(owner_, gid_, e);
}

void HostWindow::wheelEvent(QWheelEvent* e) {
    if (owner_->keys_to_window)
        post_wheel(owner_, 0, e);
    else
        e->ignore();
}

// Takes the wheel from a list whose window handles it itself: the turn goes
// to the window's queue with the list's gadget id, and the list does not
// scroll by itself.
class WheelToWindow : public QObject {
  public:
    WheelToWindow(QtWindow* owner, int gid, QObject* parent)
        : QObject(parent), owner_(owner), gid_(gid) {}

  protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() != QEvent::Wheel) return false;
        post_wheel(owner_, gid_, static_cast<QWheelEvent*>(e));
        return true;
    }

  private:
    QtWindow* owner_;
    int gid_;
};

void wheel_to_window(QtWindow* owner, int gid, QAbstractScrollArea* list) {
    auto* filter = new WheelToWindow(owner, gid, list);
    list->installEventFilter(filter);
    list->viewport()->installEventFilter(filter);
}

QtWindow* find(int win) {
    auto it = windows.find(win);
    return it == windows.end() ? nullptr : it->second;
}

// The modal owner (gui_host_modal_over) and the windows opened over it, oldest first.
int modal_owner = 0;
std::vector<int> modal_windows;

// What a window or requester opened now stays over: the requester or file
// requester running, else the newest window opened over the modal owner still
// open, else the owner; nullptr outside the modal bracket.
QWidget* modal_parent() {
    if (QWidget* running = QApplication::activeModalWidget()) return running;
    std::erase_if(modal_windows, [](int win) { return !find(win); });
    const int over = modal_windows.empty() ? modal_owner : modal_windows.back();
    QtWindow* w = find(over);
    return w ? w->widget : nullptr;
}

// Makes `window`, not yet shown, stay over modal_parent(), or outside the
// modal bracket over window `over` (0 none): transient for it, so that the
// window it speaks about can never hide it, with a window manager or without.
// Only a dialog is transient on X11.
void stay_over_owner(QWidget* window, int over = 0) {
    QWidget* parent = modal_parent();
    if (!parent)
        if (QtWindow* w = find(over)) parent = w->widget;
    if (!parent || parent == window) return;
    window->setWindowFlag(Qt::Dialog, true);
    window->winId();
    parent->winId();
    if (QWindow* handle = window->windowHandle()) handle->setTransientParent(parent->windowHandle());
}

// A window opened over another (`over`) is put under the notices that stood
// over that one, which now stand over it; so is a window opened while a notice
// stands over no window (its window closed, or none was open when it showed).
// A window's transient parent is told to the window manager as it is shown.
void notices_over(QWidget* window, int over) {
    std::erase_if(notices, [](const QPointer<QMessageBox>& b) { return b.isNull(); });
    QtWindow* under = find(over);
    window->winId();
    for (const QPointer<QMessageBox>& box : notices) {
        QWindow* handle = box->windowHandle();
        if (!handle || !box->isVisible()) continue;
        QWindow* parent = handle->transientParent();
        if (parent && !(under && parent == under->widget->windowHandle())) continue;
        box->hide();
        handle->setTransientParent(window->windowHandle());
        box->show();
        box->raise();
    }
}

Gadget* gadget(int win, int gid) {
    QtWindow* w = find(win);
    if (!w) return nullptr;
    auto it = w->gadgets.find(gid);
    return it == w->gadgets.end() ? nullptr : &it->second;
}

} // namespace

QWidget* qt_gadget_widget(int win, int gid) {
    Gadget* g = gadget(win, gid);
    return g ? g->widget : nullptr;
}

namespace {

QIcon icon_of(int image) {
    auto it = images.find(image);
    return it == images.end() ? QIcon() : QIcon(it->second);
}

void gadget_event(QtWindow* w, int gid, int code) {
    GuiEvent g;
    g.type = GE_GADGET;
    g.gid = gid;
    g.code = code;
    post(w, g);
}

QWidget* build(QtWindow* w, const GuiNode& n);

// A background colour (0x00RRGGBB, -1 the desktop's own) with dark text on it,
// whatever the desktop's theme.
// A button whose text starts at the left keeps it there through the colour
// changes.
void set_background(QWidget* widget, int rgb) {
    QString sheet = widget->property("text_left").toBool()
                        ? QStringLiteral("text-align: left; padding: 2px 4px;")
                        : QString();
    if (rgb >= 0)
        sheet += QStringLiteral("background-color: %1; color: black;")
                     .arg(QColor(QRgb(static_cast<unsigned>(rgb))).name());
    widget->setStyleSheet(sheet);
    if (auto* b = dynamic_cast<MiddleButton*>(widget))
        b->set_look(rgb, widget->property("text_left").toBool());
}

// A toolbar button's picture (at its own size) and hover text.
void set_bar_face(QToolButton* t, int image, const std::string& hint) {
    t->setIcon(icon_of(image));
    auto it = images.find(image);
    if (it != images.end()) t->setIconSize(it->second.size());
    t->setToolTip(QString::fromStdString(hint));
}

// A gadget's `align`: 0 left, 1 centred, 2 right, vertically centred each.
Qt::Alignment text_alignment(int align) {
    const Qt::Alignment across = align == 1 ? Qt::AlignHCenter : align == 2 ? Qt::AlignRight : Qt::AlignLeft;
    return across | Qt::AlignVCenter;
}

// A button's text with its key marked by "_" ("_OK") as Qt marks it ("&OK");
// without `mark` a "_" is shown as it stands. A "&" is shown as it stands either way.
QString key_marked(const std::string& text, bool mark = true) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&')
            out += "&&";
        else if (mark && text[i] == '_' && i + 1 < text.size())
            out += '&';
        else
            out += text[i];
    }
    return QString::fromStdString(out);
}

// Whether a button's text marks a key ("_OK"), as the texts the windows make
// their buttons with do; a text shown later in a button made without one (an
// instruction naming "PITCHA1_L") marks none.
bool marks_key(const std::string& text) {
    const std::size_t at = text.find('_');
    return at != std::string::npos && at + 1 < text.size();
}

// The rows of a list with columns, pictures first in their cells.
void fill_rows(QTreeWidget* t, const std::vector<GuiListRow>& rows) {
    t->clear();
    QSize icon(0, 0);
    for (const GuiListRow& r : rows) {
        auto* item = new QTreeWidgetItem;
        for (std::size_t c = 0; c < r.cells.size(); ++c) {
            const GuiListCell& cell = r.cells[c];
            const int col = static_cast<int>(c);
            item->setText(col, QString::fromStdString(cell.text));
            if (cell.right) item->setTextAlignment(col, Qt::AlignRight | Qt::AlignVCenter);
            auto it = images.find(cell.image);
            if (it != images.end()) {
                item->setIcon(col, QIcon(it->second));
                icon = icon.expandedTo(it->second.size());
            }
            if (!r.hint.empty()) item->setToolTip(col, QString::fromStdString(r.hint));
        }
        t->addTopLevelItem(item);
    }
    if (icon.width() > 0) t->setIconSize(icon);
    // A column's title stands over its values: right-aligned over right-aligned ones.
    if (!rows.empty())
        for (std::size_t c = 0; c < rows[0].cells.size(); ++c)
            t->headerItem()->setTextAlignment(
                static_cast<int>(c),
                (rows[0].cells[c].right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    for (int c = 0; c < t->columnCount(); ++c)
        t->resizeColumnToContents(c);
}

QWidget* build_table(QtWindow* w, const GuiNode& n) {
    auto* t = new QTreeWidget;
    const int gid = n.gid;
    t->setColumnCount(static_cast<int>(n.columns.size()));
    QStringList titles;
    bool any = false;
    for (const std::string& c : n.columns) {
        titles << QString::fromStdString(c);
        any = any || !c.empty();
    }
    t->setHeaderLabels(titles);
    t->setHeaderHidden(!any);
    t->setRootIsDecorated(false);
    t->setUniformRowHeights(false);
    t->setSelectionMode(n.readonly ? QAbstractItemView::NoSelection
                                   : QAbstractItemView::SingleSelection);
    t->setFocusPolicy(Qt::NoFocus);
    fill_rows(t, n.rows);
    if (n.value >= 0 && t->topLevelItem(n.value)) t->setCurrentItem(t->topLevelItem(n.value));
    QObject::connect(t, &QTreeWidget::itemClicked, [w, gid, t](QTreeWidgetItem* it, int) {
        gadget_event(w, gid, t->indexOfTopLevelItem(it));
    });
    // Rows as tall as their pictures; the rows asked for, as far as the screen
    // holds them beside the rest of a window.
    if (n.visible > 0) {
        const int row = t->topLevelItemCount() > 0 && t->sizeHintForRow(0) > 0
                            ? t->sizeHintForRow(0)
                            : std::max(t->fontMetrics().height(), t->iconSize().height()) + 4;
        int rows = n.visible + (any ? 1 : 0);
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            const int room = screen->availableGeometry().height() - 200;
            if (row * rows > room) rows = std::max(room / row, 3);
        }
        t->setMinimumHeight(row * rows + 2 * t->frameWidth());
    }
    // At least max_chars characters wide, and wide enough for every column.
    if (n.max_chars > 0) {
        int columns = 0;
        for (int c = 0; c < t->columnCount(); ++c)
            columns += t->columnWidth(c);
        const int chars = t->fontMetrics().horizontalAdvance(QLatin1Char('n')) * n.max_chars;
        t->setMinimumWidth(std::max(chars, columns) + t->verticalScrollBar()->sizeHint().width() +
                           2 * t->frameWidth());
    }
    return t;
}

QWidget* build_group(QtWindow* w, const GuiNode& n) {
    QWidget* box;
    if (n.framed || !n.text.empty())
        box = new QGroupBox(QString::fromStdString(n.text));
    else
        box = new QWidget;
    QBoxLayout* lay = n.kind == GK_HGROUP ? static_cast<QBoxLayout*>(new QHBoxLayout(box))
                                          : static_cast<QBoxLayout*>(new QVBoxLayout(box));
    lay->setContentsMargins(n.framed ? 4 : 0, n.framed ? 4 : 0, n.framed ? 4 : 0, n.framed ? 4 : 0);
    lay->setSpacing(2);
    for (const GuiNode& c : n.children) {
        if (c.kind == GK_SPACE && c.gid == 0) {
            lay->addStretch(c.weight ? c.weight : 1);
            continue;
        }
        QWidget* cw = build(w, c);
        if (c.centred)
            lay->addWidget(cw, c.weight, Qt::AlignCenter);
        else
            lay->addWidget(cw, c.weight);
    }
    return box;
}

QWidget* build(QtWindow* w, const GuiNode& n) {
    QWidget* out = nullptr;
    Gadget g;
    g.kind = n.kind;
    g.value = n.value;
    const int gid = n.gid;
    switch (n.kind) {
    case GK_VGROUP:
    case GK_HGROUP:
        out = build_group(w, n);
        break;
    case GK_DISPLAY:
        out = new DisplayWidget(w, gid);
        out->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        break;
    case GK_BUTTON: {
        g.key_mark = marks_key(n.text);
        auto* b = new MiddleButton(w, gid, key_marked(n.text));
        b->setCheckable(n.toggle);
        b->setChecked(n.selected);
        b->setFocusPolicy(Qt::NoFocus);
        if (n.text_left) {
            b->setProperty("text_left", true);
            set_background(b, -1);
        }
        if (auto it = images.find(n.image); n.image && it != images.end())
            b->setIcon(QIcon(it->second));
        QObject::connect(b, &QPushButton::clicked,
                         [w, gid](bool checked) { gadget_event(w, gid, checked ? 1 : 0); });
        out = b;
        break;
    }
    case GK_IMAGE: {
        auto* l = new QLabel;
        l->setFrameStyle(QFrame::Panel | QFrame::Raised);
        auto it = images.find(n.image);
        if (it != images.end()) l->setPixmap(it->second);
        out = l;
        break;
    }
    case GK_STRING: {
        QLineEdit* e;
        if (n.readonly) {
            e = new WholeTextField;
        } else {
            e = new EntryWidget(w, gid);
            // Each change the user makes is reported as it happens, so that a
            // button pressed next acts on the text shown.
            QObject::connect(e, &QLineEdit::textEdited, [w, gid] {
                GuiEvent g;
                g.type = GE_EDITED;
                g.gid = gid;
                post(w, g);
            });
        }
        e->setText(QString::fromStdString(n.text));
        if (n.readonly) e->setCursorPosition(0);
        if (n.readonly && n.align) e->setAlignment(text_alignment(n.align));
        if (n.max_chars > 0 && !n.readonly) e->setMaxLength(n.max_chars); // a field's width only
        // A short entry is as wide as its longest text.
        if (n.max_chars > 0 && n.max_chars <= 8 && n.weight == 0)
            e->setFixedWidth(e->fontMetrics().horizontalAdvance(QLatin1Char('M')) *
                                 (n.max_chars + 1) +
                             12);
        out = e;
        break;
    }
    case GK_INTEGER: {
        auto* s = new QSpinBox;
        s->setRange(n.min, n.max);
        s->setValue(n.value);
        if (n.readonly) {
            s->setReadOnly(true);
            s->setButtonSymbols(QAbstractSpinBox::NoButtons);
            s->setFocusPolicy(Qt::NoFocus);
        }
        // Every new value (an arrow, a key, each digit typed) is reported as
        // it happens: the buttons take no focus, so the field may still hold
        // it when OK is pressed.
        QObject::connect(s, &QSpinBox::valueChanged, [w, gid](int v) { gadget_event(w, gid, v); });
        out = s;
        break;
    }
    case GK_CHECKBOX: {
        g.key_mark = marks_key(n.text);
        auto* c = new QCheckBox(key_marked(n.text));
        c->setChecked(n.value != 0);
        QObject::connect(c, &QCheckBox::toggled, [w, gid](bool on) { gadget_event(w, gid, on); });
        out = c;
        break;
    }
    case GK_CHOOSER: {
        auto* c = new QComboBox;
        for (const std::string& s : n.items)
            c->addItem(QString::fromStdString(s));
        c->setCurrentIndex(n.value);
        QObject::connect(c, &QComboBox::activated, [w, gid](int i) { gadget_event(w, gid, i); });
        out = c;
        break;
    }
    case GK_LIST: {
        if (!n.columns.empty()) {
            out = build_table(w, n);
        } else {
            auto* l = new QListWidget;
            for (const std::string& s : n.items)
                l->addItem(QString::fromStdString(s));
            if (n.value >= 0) l->setCurrentRow(n.value);
            QObject::connect(l, &QListWidget::itemClicked, [w, gid, l](QListWidgetItem* it) {
                gadget_event(w, gid, l->row(it));
            });
            out = l;
        }
        if (n.wheel_to_window) wheel_to_window(w, gid, static_cast<QAbstractScrollArea*>(out));
        break;
    }
    case GK_SPEEDBAR: {
        auto* bar = new QWidget;
        auto* lay = new QHBoxLayout(bar);
        lay->setContentsMargins(0, 0, 0, 0);
        lay->setSpacing(1);
        for (std::size_t i = 0; i < n.bar.size(); ++i) {
            const GuiBarButton& b = n.bar[i];
            auto* t = new QToolButton;
            set_bar_face(t, b.image, b.hint);
            t->setCheckable(b.toggle);
            t->setChecked(b.selected);
            t->setEnabled(!b.disabled);
            t->setAutoRaise(true);
            t->setFocusPolicy(Qt::NoFocus);
            int index = static_cast<int>(i) + 1;
            QObject::connect(t, &QToolButton::clicked,
                             [w, gid, index] { gadget_event(w, gid, index); });
            lay->addWidget(t);
            g.bar.push_back(t);
        }
        lay->addStretch(1);
        out = bar;
        break;
    }
    case GK_LABEL: {
        auto* l = new QLabel(QString::fromStdString(n.text));
        if (n.bold) {
            QFont f = l->font();
            f.setBold(true);
            l->setFont(f);
        }
        if (n.align) l->setAlignment(text_alignment(n.align));
        out = l;
        break;
    }
    case GK_SPACE:
        out = new QWidget;
        break;
    case GK_RADIO: {
        auto* box = new QWidget;
        QBoxLayout* lay = n.vertical ? static_cast<QBoxLayout*>(new QVBoxLayout(box))
                                     : static_cast<QBoxLayout*>(new QHBoxLayout(box));
        lay->setContentsMargins(0, 0, 0, 0);
        auto* group = new QButtonGroup(box);
        group->setExclusive(true);
        for (std::size_t i = 0; i < n.items.size(); ++i) {
            auto* r = new QRadioButton(QString::fromStdString(n.items[i]));
            r->setFocusPolicy(Qt::NoFocus);
            group->addButton(r, static_cast<int>(i));
            lay->addWidget(r);
        }
        if (QAbstractButton* b = group->button(n.value)) b->setChecked(true);
        QObject::connect(group, &QButtonGroup::idClicked,
                         [w, gid](int i) { gadget_event(w, gid, i); });
        g.radios = group;
        out = box;
        break;
    }
    case GK_SLIDER: {
        auto* sl = new QSlider(n.vertical ? Qt::Vertical : Qt::Horizontal);
        slider_range(sl, n.min, n.max);
        sl->setValue(n.value);
        // Clicked or tabbed to, it takes the keys: the cursor keys, Page Up
        // and Down, Home and End move it.
        sl->setFocusPolicy(Qt::StrongFocus);
        // A short range shows a tick mark at every step.
        if (!n.vertical && n.max - n.min <= 64) {
            sl->setTickPosition(QSlider::TicksBelow);
            sl->setTickInterval(1);
        }
        QObject::connect(sl, &QSlider::valueChanged, [w, gid](int v) { gadget_event(w, gid, v); });
        out = sl;
        break;
    }
    case GK_SCROLLER: {
        auto* sb = new QScrollBar(n.vertical ? Qt::Vertical : Qt::Horizontal);
        scroller_range(sb, n.max, n.visible);
        sb->setValue(n.value);
        sb->setFocusPolicy(Qt::NoFocus);
        QObject::connect(sb, &QScrollBar::valueChanged,
                         [w, gid](int v) { gadget_event(w, gid, v); });
        g.visible = n.visible;
        out = sb;
        break;
    }
    case GK_FUELGAUGE: {
        auto* pb = new QProgressBar;
        pb->setRange(n.min, n.max);
        pb->setValue(n.value);
        pb->setAlignment(Qt::AlignCenter);
        pb->setTextVisible(!n.text.empty());
        pb->setFormat(QString::fromStdString(n.text));
        out = pb;
        break;
    }
    case GK_TEXTEDIT: {
        auto* te = new QPlainTextEdit;
        te->setPlainText(QString::fromStdString(n.text));
        te->setReadOnly(n.readonly);
        te->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        if (n.readonly) te->setFocusPolicy(Qt::NoFocus);
        out = te;
        break;
    }
    case GK_PICTURE:
        out = new DisplayWidget(w, gid, true);
        if (n.min_w && n.min_h) out->setFixedSize(n.min_w, n.min_h);
        break;
    }
    if (n.min_w || n.min_h) out->setMinimumSize(n.min_w, n.min_h);
    if (!n.hint.empty()) out->setToolTip(QString::fromStdString(n.hint));
    if (n.background >= 0) set_background(out, n.background);
    if (n.kind == GK_BUTTON && n.readonly) out->setAttribute(Qt::WA_TransparentForMouseEvents);
    if (n.disabled) out->setEnabled(false);
    if (n.kind == GK_STRING && n.weight == 0)
        out->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    // A read-only field holds max_chars characters; a button of weight 0 keeps its width.
    if (n.kind == GK_STRING && n.readonly && n.max_chars > 0 && n.weight == 0)
        out->setFixedWidth(out->fontMetrics().horizontalAdvance(QLatin1Char('#')) * n.max_chars + 12);
    if (n.kind == GK_BUTTON && n.min_w && n.weight == 0) out->setFixedWidth(n.min_w);
    if (gid) {
        g.widget = out;
        w->gadgets[gid] = g;
    }
    if (!n.label.empty()) {
        auto* row = new QWidget;
        row->setSizePolicy(QSizePolicy::Preferred, out->sizePolicy().verticalPolicy());
        auto* lay = new QHBoxLayout(row);
        lay->setContentsMargins(0, 0, 0, 0);
        lay->setSpacing(4);
        lay->addWidget(new QLabel(QString::fromStdString(n.label)));
        lay->addWidget(out, 1);
        return row;
    }
    return out;
}

// The Help key (or F1) over an open menu asks for help on the item under the
// pointer: the menu closes and the window gets GE_MENUHELP.
class MenuHelpFilter : public QObject {
  public:
    MenuHelpFilter(QtWindow* w, int number, QObject* parent)
        : QObject(parent), window_(w), number_(number) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() != QEvent::KeyPress) return false;
        const auto* k = static_cast<QKeyEvent*>(e);
        if (k->key() != Qt::Key_Help && k->key() != Qt::Key_F1) return false;
        auto* menu = qobject_cast<QMenu*>(watched);
        GuiEvent g;
        g.type = GE_MENUHELP;
        g.code = -1;
        g.x = number_;
        if (menu && menu->activeAction()) {
            for (const auto& [id, action] : window_->actions)
                if (action == menu->activeAction()) g.code = id;
        }
        for (QWidget* open = QApplication::activePopupWidget(); open;
             open = QApplication::activePopupWidget())
            open->close();
        post(window_, g);
        return true;
    }

  private:
    QtWindow* window_;
    int number_;
};

// A disabled menu title that carries a hint shows it when the pointer rests
// on the title or clicks it, so that the user learns how to enable it.
class DisabledTitleHint : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        const bool tip = e->type() == QEvent::ToolTip;
        if (!tip && e->type() != QEvent::MouseButtonPress) return false;
        auto* bar = qobject_cast<QMenuBar*>(watched);
        if (!bar) return false;
        const QPoint at = tip ? static_cast<QHelpEvent*>(e)->pos()
                              : static_cast<QMouseEvent*>(e)->position().toPoint();
        const QAction* title = bar->actionAt(at);
        if (!title || title->isEnabled()) return false;
        const QString hint = title->property("disabled_hint").toString();
        if (hint.isEmpty()) return false;
        QToolTip::showText(bar->mapToGlobal(at), hint, bar);
        return tip;
    }
};

void build_menu(QtWindow* w, QMenu* menu, const std::vector<GuiMenuItem>& items, int number) {
    menu->installEventFilter(new MenuHelpFilter(w, number, menu));
    for (const GuiMenuItem& m : items) {
        if (!m.sub.empty()) {
            QMenu* sub = menu->addMenu(QString::fromStdString(m.text));
            if (m.id >= 0) w->actions[m.id] = sub->menuAction();
            sub->menuAction()->setEnabled(!m.disabled);
            build_menu(w, sub, m.sub, number);
        } else if (m.text.empty()) {
            menu->addSeparator();
        } else {
            QAction* a = menu->addAction(qt_menu_item_text(m.text, m.shortcut));
            if (!m.shortcut.empty()) a->setShortcut(qt_menu_shortcut(m.shortcut));
            a->setCheckable(m.checkable);
            a->setChecked(m.checked);
            a->setEnabled(!m.disabled);
            if (m.group > 0) {
                QActionGroup*& g = w->groups[m.group];
                if (!g) {
                    g = new QActionGroup(w->menubar);
                    g->setExclusive(true);
                }
                g->addAction(a);
            }
            int id = m.id;
            QObject::connect(a, &QAction::triggered, [w, id] {
                GuiEvent g;
                g.type = GE_MENU;
                g.code = id;
                post(w, g);
            });
            if (id >= 0) w->actions[id] = a;
        }
    }
}

std::uint32_t host_now() {
    using namespace std::chrono;
    return static_cast<std::uint32_t>(
        duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count());
}

// Every timed wait of the program (the frame pacing too) serves host events
// while it waits; only the last stretch is slept exactly.
void host_wait_until(std::uint32_t due) {
    pump(QEventLoop::AllEvents);
    for (;;) {
        std::int32_t left = static_cast<std::int32_t>(due - host_now());
        if (left <= 0) return;
        if (!app || display_gone || left <= 1500) {
            std::this_thread::sleep_for(std::chrono::microseconds(left));
            return;
        }
        QTimer wake;
        wake.setSingleShot(true);
        wake.setTimerType(Qt::PreciseTimer);
        wake.start((left - 1000) / 1000);
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

const ClockSource host_clock = {host_now, host_wait_until};

} // namespace

// --- host -------------------------------------------------------------------
// Qt ends the process when its connection to the X server breaks (the server
// ended, the link to it dropped), after a warning on the thread that takes in
// the events. That warning is where the program leaves through its own way
// out instead; the connection itself says whether it broke.
static QtMessageHandler qt_message_handler = nullptr;

static bool x_connection_broken() {
    const auto* x11 = app ? app->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 && x11->connection() && xcb_connection_has_error(x11->connection()) != 0;
}

static void on_qt_message(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (qt_message_handler)
        qt_message_handler(type, context, text);
    else
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, text)));
    if (display_gone || !display_lost || !app || QThread::currentThread() != app->thread() ||
        !x_connection_broken())
        return;
    display_gone = true;
    display_lost();
}

void gui_host_set_display_lost(void (*lost)()) {
    display_lost = lost;
}

bool qt_display_gone() {
    return display_gone;
}

// Qt ends the process when it cannot reach the display, so a local X display
// whose socket is missing is refused here first.
static bool display_reachable() {
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") ||
        !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return true;
    QByteArray d = qgetenv("DISPLAY");
    if (d.isEmpty()) return false;
    if (!d.startsWith(':')) return true; // a remote display: Qt will tell
    QByteArray number = d.mid(1);
    int dot = number.indexOf('.');
    if (dot >= 0) number.truncate(dot);
    return QFileInfo::exists(QString("/tmp/.X11-unix/X") + QString::fromLatin1(number));
}

bool gui_host_init(int argc, char** argv) {
    if (app) return true;
    if (argc > 0 && argv && argv[0]) app_argv[0] = argv[0];
    if (!display_reachable()) return false;
    app = new QApplication(app_argc, app_argv);
    static bool watching = false;
    if (!watching) qt_message_handler = qInstallMessageHandler(on_qt_message);
    watching = true;
    QApplication::setApplicationName("Brindlemox");
    QApplication::setQuitOnLastWindowClosed(false);
    clock_set_source(&host_clock);
    return true;
}

void gui_host_shutdown() {
    gui_help_close();
    gui_console_close();
    gui_message_console_close();
    for (auto& [h, w] : windows) {
        delete w->widget;
        delete w;
    }
    windows.clear();
    for (auto& [widget, w] : closing) {
        delete widget.data();
        delete w;
    }
    closing.clear();
    for (const QPointer<QMessageBox>& box : notices)
        delete box.data();
    notices.clear();
    images.clear();
    clock_set_source(nullptr);
    delete app;
    app = nullptr;
}

// The event pass runs outside every widget's handler: the windows closed
// since the last pass are freed here, as Qt's own loop would free them.
void gui_host_pump() {
    if (app && !display_gone) {
        QApplication::processEvents(QEventLoop::AllEvents);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        std::erase_if(closing, [](const auto& c) {
            if (c.first) return false;
            delete c.second;
            return true;
        });
    }
    qt_help_keys_run();
}

void gui_host_wait_until(std::uint32_t due) {
    clock_wait_until(due);
}

void gui_host_wait_events(int timeout_ms) {
    if (!app) return;
    if (display_gone) {
        std::this_thread::sleep_for(std::chrono::milliseconds(timeout_ms >= 0 ? timeout_ms : 100));
        return;
    }
    QTimer wake;
    if (timeout_ms >= 0) {
        wake.setSingleShot(true);
        wake.start(timeout_ms);
    }
    QApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void gui_host_beep() {
    if (app) QApplication::beep();
}

// A window manager is the client that redirects what the root window's
// children ask for, whether or not it names itself to the desktop: without
// one nothing can iconify a window.
bool gui_host_can_iconify() {
    const auto* x11 = app ? app->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* c = x11 ? x11->connection() : nullptr;
    if (!c) return true; // another desktop: it minimises
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    xcb_get_window_attributes_reply_t* root_masks =
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, root), nullptr);
    const bool managed =
        root_masks && (root_masks->all_event_masks & XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT);
    std::free(root_masks);
    return managed;
}

static void dress_box(QMessageBox& box, const char* title, const char* body, int kind) {
    box.setWindowTitle(QString::fromUtf8(title));
    box.setText(QString::fromUtf8(body));
    box.setIcon(kind == 3   ? QMessageBox::Critical
                : kind == 2 ? QMessageBox::Warning
                            : QMessageBox::Information);
}

void gui_host_notice(const char* title, const char* body, const char* button, int kind, int over) {
    if (!app || display_gone) return;
    auto* box = new QMessageBox();
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    dress_box(*box, title, body, kind);
    stay_over_owner(box, over);
    box->addButton(QString::fromUtf8(button), QMessageBox::AcceptRole);
    std::erase_if(notices, [](const QPointer<QMessageBox>& b) { return b.isNull(); });
    notices.emplace_back(box);
    box->show();
}

// The requester with its `preset` button (counted from 0) under Return, and
// the last one (the answer that keeps things as they are) under Escape.
static int requester_box(const char* title, const char* body, const char* buttons, int kind,
                         std::size_t preset, int over = 0) {
    if (!app || display_gone) return 0;
    QMessageBox box;
    dress_box(box, title, body, kind);
    QStringList names = QString::fromUtf8(buttons).split('|');
    std::vector<QPushButton*> made;
    for (const QString& s : names)
        made.push_back(box.addButton(key_marked(s.toStdString()), QMessageBox::AcceptRole));
    if (preset < made.size()) box.setDefaultButton(made[preset]);
    if (!made.empty()) box.setEscapeButton(made.back());
    stay_over_owner(&box, over);
    // The box runs its own event loop; a break seen meanwhile ends it with no
    // button chosen, which answers as the last button.
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &box, [&box] {
        if (break_poll && break_poll()) box.done(0);
    });
    watch.start(50);
    if (!(break_poll && break_poll())) box.exec();
    QAbstractButton* chosen = box.clickedButton();
    for (std::size_t i = 0; i < made.size(); ++i)
        if (made[i] == chosen) return i + 1 == made.size() ? 0 : static_cast<int>(i) + 1;
    return 0;
}

int gui_host_requester(const char* title, const char* body, const char* buttons, int kind,
                       int preset, int over) {
    return requester_box(title, body, buttons, kind, static_cast<std::size_t>(preset), over);
}

namespace {
// The file requester. A save requester given its caller's checks asks about
// the files its caller will write: the name typed with the caller's suffix,
// and what else the action writes beside it, rather than the name as typed. A
// lookup requester hands on a name typed that does not exist as such (its
// caller adds the suffixes and looks), and is confirmed with no name at all,
// which answers the drawer alone.
class FileRequester : public QFileDialog {
  public:
    FileRequester(FileRequestMode mode, SaveChecks checks)
        : mode_(mode), checks_(mode == FileRequestMode::save ? std::move(checks) : SaveChecks{}) {
        if (checks_.files) setOption(QFileDialog::DontConfirmOverwrite, true);
    }
    // Once the requester is dressed: its Open button stays usable with an
    // empty name, which the dialog's own check would grey out.
    void allow_empty_name() {
        name_ = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        auto* buttons = findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
        open_ = buttons ? buttons->button(QDialogButtonBox::Open) : nullptr;
        if (mode_ != FileRequestMode::lookup || !name_ || !open_) return;
        open_->installEventFilter(this);
        if (name_->text().isEmpty()) open_->setEnabled(true);
    }
    bool confirmed_without_name() const { return without_name_; }

    void accept() override {
        const QStringList typed = selectedFiles();
        if (mode_ == FileRequestMode::lookup && name_) {
            // With no name and no drawer picked in the list, the dialog names
            // the drawer shown.
            const bool none = typed.isEmpty() ||
                              (typed.size() == 1 &&
                               QFileInfo(typed.first()) == QFileInfo(directory().absolutePath()));
            if (none && name_->text().isEmpty()) {
                without_name_ = true;
                QDialog::accept();
                return;
            }
            // A drawer typed or picked is entered, its name taken out of the field.
            if (!none && QFileInfo(typed.first()).isDir()) {
                setDirectory(QFileInfo(typed.first()).absoluteFilePath());
                name_->clear();
                return;
            }
        }
        if (checks_.files && acceptMode() == QFileDialog::AcceptSave && !typed.isEmpty() &&
            !QFileInfo(typed.first()).isDir() && !may_write(checks_.files(typed.first().toStdString())))
            return;
        QFileDialog::accept();
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == open_ && event->type() == QEvent::EnabledChange && !open_->isEnabled() &&
            name_->text().isEmpty())
            open_->setEnabled(true);
        return QFileDialog::eventFilter(watched, event);
    }

  private:
    // A file that may not be written is refused with the reason; each that
    // exists is asked about (the program's question: it keeps the file under
    // Return). False keeps the requester open.
    bool may_write(const std::vector<std::string>& files) {
        const QByteArray title = windowTitle().toUtf8();
        if (checks_.refusal)
            for (const std::string& f : files)
                if (const std::string why = checks_.refusal(f); !why.empty()) {
                    requester_box(title.constData(), why.c_str(), "OK", 2, 0);
                    return false;
                }
        for (const std::string& f : files) {
            const QFileInfo target(QString::fromStdString(f));
            if (!target.exists() && !target.isSymLink()) continue;
            if (!checks_.may_replace || !checks_.may_replace(f)) return false;
        }
        return true;
    }
    FileRequestMode mode_;
    SaveChecks checks_;
    QLineEdit* name_ = nullptr;
    QPushButton* open_ = nullptr;
    bool without_name_ = false;
};
} // namespace

int gui_host_file_request(const char* title, const char* pattern, FileRequestMode mode,
                          const char* drawer, const char* file, std::string* chosen_drawer,
                          std::string* chosen_file, const SaveChecks& checks) {
    if (!app) return -1;
    if (display_gone) return 1;
    const bool save = mode == FileRequestMode::save;
    FileRequester dialog(mode, checks);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setWindowTitle(QString::fromUtf8(title));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // Only a requester for a file that exists refuses a name typed without one.
    dialog.setFileMode(mode == FileRequestMode::existing ? QFileDialog::ExistingFile
                                                         : QFileDialog::AnyFile);
    QStringList filters;
    for (const std::string& f : file_pattern_dialog_filters(pattern ? pattern : ""))
        filters << QString::fromStdString(f);
    dialog.setNameFilters(filters);
    if (drawer && drawer[0] && QFileInfo(QString::fromUtf8(drawer)).isDir())
        dialog.setDirectory(QString::fromUtf8(drawer));
    if (file && file[0]) dialog.selectFile(QString::fromUtf8(file));
    dialog.allow_empty_name();
    stay_over_owner(&dialog);
    // As with the message box: a break closes the dialog as cancelled.
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &dialog, [&dialog] {
        if (break_poll && break_poll()) dialog.reject();
    });
    watch.start(50);
    if (break_poll && break_poll()) return 1;
    if (dialog.exec() != QDialog::Accepted) return 1;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || dialog.confirmed_without_name()) {
        *chosen_drawer = dialog.directory().absolutePath().toStdString();
        chosen_file->clear();
        return 0;
    }
    QFileInfo info(chosen.first());
    if (info.isDir()) {
        *chosen_drawer = info.absoluteFilePath().toStdString();
        chosen_file->clear();
    } else {
        *chosen_drawer = info.absolutePath().toStdString();
        *chosen_file = info.fileName().toStdString();
    }
    return 0;
}

void gui_host_set_break_poll(bool (*pending)()) {
    break_poll = pending;
}

void gui_host_modal_over(int win) {
    modal_owner = win;
    modal_windows.clear();
}

void gui_host_screen_size(int* width, int* height) {
    QScreen* s = app ? QGuiApplication::primaryScreen() : nullptr;
    *width = s ? s->availableGeometry().width() : 640;
    *height = s ? s->availableGeometry().height() : 480;
}

void gui_host_toolkit_version(int* version, int* revision) {
    const QStringList parts = QString::fromLatin1(qVersion()).split('.');
    *version = parts.size() > 0 ? parts[0].toInt() : 0;
    *revision = parts.size() > 1 ? parts[1].toInt() : 0;
}

int gui_host_drawer_request(const char* title, const char* drawer, std::string* chosen) {
    if (!app) return -1;
    if (display_gone) return 1;
    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    dialog.setWindowTitle(QString::fromUtf8(title));
    dialog.setFileMode(QFileDialog::Directory);
    if (drawer && drawer[0] && QFileInfo(QString::fromUtf8(drawer)).isDir())
        dialog.setDirectory(QString::fromUtf8(drawer));
    stay_over_owner(&dialog);
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &dialog, [&dialog] {
        if (break_poll && break_poll()) dialog.reject();
    });
    watch.start(50);
    if (break_poll && break_poll()) return 1;
    if (dialog.exec() != QDialog::Accepted) return 1;
    const QStringList picked = dialog.selectedFiles();
    *chosen = (picked.isEmpty() ? dialog.directory().absolutePath() : picked.first()).toStdString();
    return 0;
}

// The desktop's URL handler on Linux is xdg-open (or gio, which it may call).
bool gui_host_url_handler() {
    return !QStandardPaths::findExecutable(QStringLiteral("xdg-open")).isEmpty() ||
           !QStandardPaths::findExecutable(QStringLiteral("gio")).isEmpty();
}

int gui_host_double_click_ms() {
    return QApplication::doubleClickInterval();
}

bool gui_host_open_url(const char* address) {
    if (!app || !address) return false;
    const QString text = QString::fromUtf8(address);
    const QUrl url = text.contains(QLatin1String("://")) || text.startsWith(QLatin1String("mailto:"))
                         ? QUrl(text)
                         : QUrl::fromLocalFile(text);
    return QDesktopServices::openUrl(url);
}

// --- images -----------------------------------------------------------------
int gui_image_load(const char* path, int width, int height, bool* missing) {
    QPixmap pm;
    bool ok = app && pm.load(QString::fromUtf8(path));
    if (!ok) {
        pm = QPixmap(width > 0 ? width : 16, height > 0 ? height : 16);
        pm.fill(Qt::transparent);
        if (app) {
            QPainter p(&pm);
            p.setPen(QColor(128, 128, 128));
            p.drawRect(0, 0, pm.width() - 1, pm.height() - 1);
        }
    }
    if (missing) *missing = !ok;
    int h = next_image++;
    images[h] = pm;
    return h;
}
void gui_image_free(int image) {
    images.erase(image);
}
void gui_image_size(int image, int* width, int* height) {
    auto it = images.find(image);
    *width = it == images.end() ? 0 : it->second.width();
    *height = it == images.end() ? 0 : it->second.height();
}
bool gui_image_pixels(int image, std::vector<std::uint32_t>* argb, int* width, int* height) {
    auto it = images.find(image);
    if (it == images.end() || it->second.isNull()) return false;
    const QImage img = it->second.toImage().convertToFormat(QImage::Format_ARGB32);
    *width = img.width();
    *height = img.height();
    argb->resize(static_cast<std::size_t>(img.width()) * img.height());
    for (int y = 0; y < img.height(); y++) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(img.constScanLine(y));
        std::copy(row, row + img.width(), argb->begin() + static_cast<std::ptrdiff_t>(y) * img.width());
    }
    return true;
}

// --- windows ----------------------------------------------------------------
// A window's place is that of its own area, inside the frame a window manager
// adds (the title bar above it, the borders): the place a window reports
// opens it there again, whatever the frame. A window not made yet has its
// area put there (not its frame, which is not known before it shows).
static void place_inner(QWidget* window, QPoint at) {
    if (!window->windowHandle())
        window->setGeometry(QRect(at, window->size()));
    else // move() places the frame, which lies above and left of the area
        window->move(at + window->pos() - window->geometry().topLeft());
}

void qt_place_on_screen(QWidget* window, int left, int top, bool under_pointer) {
    const bool placed = left >= 0 && top >= 0;
    QScreen* screen = !placed && under_pointer ? QGuiApplication::screenAt(QCursor::pos()) : nullptr;
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (!screen) {
        if (placed) place_inner(window, QPoint(left, top));
        return;
    }
    const QRect a = screen->availableGeometry();
    // The frame a window manager adds is not known before the window shows.
    const QSize size = window->frameGeometry().size().expandedTo(window->size());
    const QPoint margin = window->geometry().topLeft() - window->frameGeometry().topLeft();
    // The frame's corner, kept on the screen.
    int frame_left, frame_top;
    if (placed) {
        frame_left = left - margin.x();
        frame_top = top - margin.y();
    } else {
        // Centred under the pointer when asked, else on the screen.
        const QPoint centre = under_pointer ? QCursor::pos() : a.center();
        frame_left = centre.x() - size.width() / 2;
        frame_top = centre.y() - size.height() / 2;
    }
    frame_left = std::max(a.x(), std::min(frame_left, a.x() + a.width() - size.width()));
    frame_top = std::max(a.y(), std::min(frame_top, a.y() + a.height() - size.height()));
    place_inner(window, QPoint(frame_left, frame_top) + margin);
}

// The width a window needs for its whole title in the desktop's title bar: the
// text in bold, and room for the bar's icon and buttons beside it.
static int qt_title_width(const QString& title) {
    QFont bold = QApplication::font();
    bold.setBold(true);
    const QFontMetrics m(bold);
    return m.horizontalAdvance(title) + 9 * m.height();
}

int gui_window_open(const GuiWindowDesc& d) {
    if (!app) return 0;
    auto* w = new QtWindow;
    w->handle = next_window++;
    w->widget = new HostWindow(w);
    HostWindow* hw = w->widget;
    auto* lay = new QVBoxLayout(hw);
    lay->setContentsMargins(2, 2, 2, 2);
    lay->setSpacing(0);
    lay->addWidget(build(w, d.root), 1);
    // A small window is at least as wide as its title: an empty strip of that
    // width under its contents.
    if (d.title_bar && !d.borderless && !d.full_screen && !d.title.empty())
        lay->addSpacerItem(new QSpacerItem(qt_title_width(QString::fromStdString(d.title)), 0,
                                           QSizePolicy::Fixed, QSizePolicy::Fixed));
    w->menubar = new QMenuBar;
    w->menubar->setNativeMenuBar(false);
    w->menubar->installEventFilter(new DisabledTitleHint(w->menubar));
    lay->setMenuBar(w->menubar);
    w->menubar->hide();
    lay->setSizeConstraint(d.size_gadget ? QLayout::SetMinimumSize : QLayout::SetFixedSize);
    hw->setWindowTitle(QString::fromStdString(d.title));
    hw->setWindowIconText(QString::fromStdString(d.icon_title));
    if (!d.title_bar || d.borderless) hw->setWindowFlag(Qt::FramelessWindowHint, true);
    // A frameless window that is never activated floats over the others and
    // lets the pointer's events through to what lies beneath (the magnifier).
    if (d.borderless && !d.activate) {
        hw->setWindowFlag(Qt::WindowDoesNotAcceptFocus, true);
        hw->setWindowFlag(Qt::WindowTransparentForInput, true);
        hw->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    }
    hw->setAcceptDrops(d.accept_drops);
    if (modal_owner) {
        // The question keeps the keys: the windows under it take no input.
        hw->setWindowModality(Qt::ApplicationModal);
        stay_over_owner(hw);
        modal_windows.push_back(w->handle);
    } else if (d.over) {
        stay_over_owner(hw, d.over);
    }
    w->help_node = d.help_node;
    w->keys_to_window = d.keys_to_window;
    hw->adjustSize();
    // A window opened minimised is mapped iconic: it never shows on the desktop
    // on its way there, and takes no activation.
    const bool activate = d.activate && !d.minimised;
    if (!activate) hw->setAttribute(Qt::WA_ShowWithoutActivating, true);
    if (d.full_screen) {
        // Without a window manager the full-screen state alone does not size the window.
        lay->setSizeConstraint(QLayout::SetDefaultConstraint);
        if (QScreen* s = QGuiApplication::primaryScreen()) hw->setGeometry(s->geometry());
        if (d.minimised) {
            hw->setWindowState(Qt::WindowFullScreen | Qt::WindowMinimized);
            hw->show();
        } else {
            hw->showFullScreen();
        }
    } else {
        qt_place_on_screen(hw, d.left, d.top, d.under_pointer);
        if (d.minimised) hw->setWindowState(Qt::WindowMinimized);
        hw->show();
    }
    if (activate) {
        hw->raise();
        hw->activateWindow();
        notices_over(hw, d.over);
    }
    for (auto& [gid, g] : w->gadgets)
        if (g.kind == GK_DISPLAY) g.widget->setFocus();
    if (d.keys_to_window) {
        hw->setFocusPolicy(Qt::ClickFocus);
        hw->setFocus();
    }
    pump(QEventLoop::ExcludeUserInputEvents);
    w->last_height = hw->height();
    w->ready = true;
    windows[w->handle] = w;
    return w->handle;
}

void gui_window_close(int win) {
    QtWindow* w = find(win);
    if (!w) return;
    windows.erase(win);
    w->ready = false;
    w->widget->hide();
    w->widget->deleteLater();
    closing.emplace_back(w->widget, w);
    pump(QEventLoop::ExcludeUserInputEvents);
}

bool gui_window_is_open(int win) {
    return find(win) != nullptr;
}

void gui_window_set_title(int win, const char* title) {
    if (QtWindow* w = find(win)) w->widget->setWindowTitle(QString::fromUtf8(title));
}

void gui_window_set_menus(int win, const std::vector<GuiMenuItem>& strip) {
    QtWindow* w = find(win);
    if (!w) return;
    // clear() only takes the titles off the strip: the menus behind them (with
    // their submenus, items and filters) are freed at the next event pass.
    for (QAction* title : w->menubar->actions())
        if (QMenu* old = title->menu()) old->deleteLater();
    w->menubar->clear();
    w->actions.clear();
    for (auto& g : w->groups)
        delete g.second;
    w->groups.clear();
    int number = 0;
    for (const GuiMenuItem& title : strip) {
        QMenu* menu = w->menubar->addMenu(QString::fromStdString(title.text));
        if (title.id >= 0) w->actions[title.id] = menu->menuAction();
        if (!title.hint.empty())
            menu->menuAction()->setProperty("disabled_hint", QString::fromStdString(title.hint));
        menu->menuAction()->setEnabled(!title.disabled);
        QObject::connect(menu, &QMenu::aboutToShow, [w] {
            GuiEvent g;
            g.type = GE_MENUVERIFY;
            post(w, g);
        });
        build_menu(w, menu, title.sub, number++);
    }
    const QSize before = w->widget->size();
    w->menubar->setVisible(!strip.empty());
    // The window takes the strip's room at once; one that grew stays on the
    // screen as it was placed there (it was placed without the strip).
    if (QLayout* lay = w->widget->layout()) lay->activate();
    if (w->widget->isVisible() && !w->widget->isFullScreen() && w->widget->size() != before)
        qt_place_on_screen(w->widget, w->widget->geometry().x(), w->widget->geometry().y());
}

void gui_menu_set_state(int win, int id, bool enabled, bool checked) {
    QtWindow* w = find(win);
    if (!w) return;
    auto it = w->actions.find(id);
    if (it == w->actions.end()) return;
    it->second->setEnabled(enabled);
    if (it->second->isCheckable()) it->second->setChecked(checked);
}

void gui_menu_set_enabled(int win, int id, bool enabled) {
    QtWindow* w = find(win);
    if (!w) return;
    auto it = w->actions.find(id);
    if (it != w->actions.end()) it->second->setEnabled(enabled);
}

// Raised and given the keyboard; what the activation tells the windows is in
// their queues on return. A minimised window is left as it is: asking a
// window manager to activate it would bring it back.
void gui_window_activate(int win) {
    QtWindow* w = find(win);
    if (!w || w->widget->isMinimized()) return;
    w->widget->raise();
    w->widget->activateWindow();
    pump(QEventLoop::ExcludeUserInputEvents);
}

// Shown again when minimised (as it was, full screen or not), then brought
// forward.
void gui_window_show_again(int win) {
    QtWindow* w = find(win);
    if (!w) return;
    if (w->widget->isMinimized()) {
        w->widget->setWindowState(w->widget->windowState() & ~Qt::WindowMinimized);
        w->widget->show();
    }
    gui_window_activate(win);
}

void gui_window_minimise(int win, bool minimised) {
    QtWindow* w = find(win);
    if (!w) return;
    if (!minimised) return gui_window_show_again(win);
    w->widget->showMinimized();
    pump(QEventLoop::ExcludeUserInputEvents);
}

bool gui_window_minimised(int win) {
    QtWindow* w = find(win);
    return w && w->widget->isMinimized();
}

int gui_host_active_window() {
    if (!app) return 0;
    QWidget* active = QApplication::activeWindow();
    for (auto& [handle, w] : windows)
        if (w->widget == active) return handle;
    return 0;
}

void gui_window_move(int win, int left, int top) {
    if (QtWindow* w = find(win)) {
        const QPoint inner = w->widget->geometry().topLeft();
        place_inner(w->widget, QPoint(left >= 0 ? left : inner.x(), top >= 0 ? top : inner.y()));
    }
}

void gui_window_to_back(int win) {
    if (QtWindow* w = find(win)) w->widget->lower();
}

void gui_window_position(int win, int* left, int* top, int* width, int* height) {
    QtWindow* w = find(win);
    const QPoint inner = w ? w->widget->geometry().topLeft() : QPoint();
    if (left) *left = inner.x();
    if (top) *top = inner.y();
    if (width) *width = w ? w->widget->width() : 0;
    if (height) *height = w ? w->widget->height() : 0;
}

void gui_window_outer_size(int win, int* width, int* height) {
    QtWindow* w = find(win);
    const QSize size = w ? w->widget->frameGeometry().size().expandedTo(w->widget->size()) : QSize();
    *width = size.width();
    *height = size.height();
}

void gui_window_resize(int win, int width, int height) {
    if (QtWindow* w = find(win)) {
        w->widget->resize(width, height);
        w->last_height = w->widget->height();
        if (!w->widget->isFullScreen()) qt_place_on_screen(w->widget, w->widget->geometry().x(), w->widget->geometry().y());
    }
}

void gui_window_set_pointer(int win, int kind) {
    QtWindow* w = find(win);
    if (!w) return;
    Qt::CursorShape shape = kind == 1   ? Qt::WaitCursor
                            : kind == 2 ? Qt::BlankCursor
                            : kind == 6 ? Qt::CrossCursor
                                        : Qt::ArrowCursor;
    for (auto& [gid, g] : w->gadgets)
        if (g.kind == GK_DISPLAY) g.widget->setCursor(shape);
    if (kind == 1)
        w->widget->setCursor(shape);
    else
        w->widget->unsetCursor();
}

void gui_window_confine_pointer(int win, const GuiRect& r) {
    QtWindow* w = find(win);
    if (!w || r.right < r.left || r.bottom < r.top) return;
    // Let go while another window has the user, when minimised and under an open menu.
    const QWidget* top = w->widget->window();
    if (!top->isActiveWindow() || top->isMinimized() || QApplication::activePopupWidget()) return;
    const QPoint at = w->widget->mapFromGlobal(QCursor::pos());
    const QPoint in(std::clamp(at.x(), r.left, r.right), std::clamp(at.y(), r.top, r.bottom));
    if (in != at) QCursor::setPos(w->widget->mapToGlobal(in));
}

bool gui_window_next_event(int win, GuiEvent* event) {
    QtWindow* w = find(win);
    if (!w || w->queue.empty()) return false;
    *event = std::move(w->queue.front());
    w->queue.pop_front();
    return true;
}

void gui_window_flush_events(int win) {
    if (QtWindow* w = find(win)) w->queue.clear();
}

// --- gadgets ----------------------------------------------------------------
void gui_set_text(int win, int gid, const char* text) {
    Gadget* g = gadget(win, gid);
    if (!g) return;
    QString s = QString::fromUtf8(text);
    if (auto* e = dynamic_cast<QLineEdit*>(g->widget)) {
        if (e->text() != s) e->setText(s);
        // A read-only field too narrow for its text shows the text's start.
        if (e->isReadOnly()) e->setCursorPosition(0);
    } else if (auto* t = dynamic_cast<QPlainTextEdit*>(g->widget)) {
        if (t->toPlainText() != s) t->setPlainText(s);
    } else if (auto* p = dynamic_cast<QProgressBar*>(g->widget)) {
        p->setFormat(s);
        p->setTextVisible(!s.isEmpty());
    } else if (auto* b = dynamic_cast<QAbstractButton*>(g->widget)) {
        // "_" marks a key only in a button made with one, as it did then.
        b->setText(key_marked(text ? text : "", g->key_mark));
    } else if (auto* l = dynamic_cast<QLabel*>(g->widget)) {
        l->setText(s);
    }
}

std::string gui_get_text(int win, int gid) {
    Gadget* g = gadget(win, gid);
    if (!g) return {};
    if (auto* e = dynamic_cast<QLineEdit*>(g->widget)) return e->text().toStdString();
    if (auto* t = dynamic_cast<QPlainTextEdit*>(g->widget)) return t->toPlainText().toStdString();
    if (auto* p = dynamic_cast<QProgressBar*>(g->widget)) return p->format().toStdString();
    if (auto* b = dynamic_cast<QAbstractButton*>(g->widget)) return b->text().toStdString();
    if (auto* l = dynamic_cast<QLabel*>(g->widget)) return l->text().toStdString();
    return {};
}

void gui_set_value(int win, int gid, int value) {
    Gadget* g = gadget(win, gid);
    if (!g) return;
    QSignalBlocker block(g->widget);
    g->value = value;
    if (g->radios) {
        QSignalBlocker block_group(g->radios);
        if (QAbstractButton* b = g->radios->button(value)) b->setChecked(true);
    } else if (auto* a = dynamic_cast<QAbstractSlider*>(g->widget))
        a->setValue(value);
    else if (auto* p = dynamic_cast<QProgressBar*>(g->widget))
        p->setValue(value < p->minimum() ? p->minimum() : value > p->maximum() ? p->maximum() : value);
    else if (auto* s = dynamic_cast<QSpinBox*>(g->widget))
        s->setValue(value);
    else if (auto* c = dynamic_cast<QComboBox*>(g->widget))
        c->setCurrentIndex(value);
    else if (auto* l = dynamic_cast<QListWidget*>(g->widget)) {
        l->setCurrentRow(value);
        if (value >= 0 && l->item(value)) l->scrollToItem(l->item(value));
    } else if (auto* t = dynamic_cast<QTreeWidget*>(g->widget)) {
        QTreeWidgetItem* it = value >= 0 ? t->topLevelItem(value) : nullptr;
        if (it) {
            t->setCurrentItem(it);
            t->scrollToItem(it);
        } else {
            t->setCurrentItem(nullptr);
            t->clearSelection();
        }
    } else if (auto* b = dynamic_cast<QAbstractButton*>(g->widget))
        b->setChecked(value != 0);
}

int gui_get_value(int win, int gid) {
    Gadget* g = gadget(win, gid);
    if (!g) return 0;
    if (g->radios) return g->radios->checkedId();
    if (auto* a = dynamic_cast<QAbstractSlider*>(g->widget)) return a->value();
    if (auto* p = dynamic_cast<QProgressBar*>(g->widget)) return p->value();
    if (auto* s = dynamic_cast<QSpinBox*>(g->widget)) return s->value();
    if (auto* c = dynamic_cast<QComboBox*>(g->widget)) return c->currentIndex();
    if (auto* l = dynamic_cast<QListWidget*>(g->widget)) return l->currentRow();
    if (auto* t = dynamic_cast<QTreeWidget*>(g->widget))
        return t->currentItem() ? t->indexOfTopLevelItem(t->currentItem()) : -1;
    if (auto* b = dynamic_cast<QAbstractButton*>(g->widget)) return b->isChecked();
    return g->value;
}

void gui_set_disabled(int win, int gid, bool disabled) {
    if (Gadget* g = gadget(win, gid)) g->widget->setEnabled(!disabled);
}
bool gui_get_disabled(int win, int gid) {
    Gadget* g = gadget(win, gid);
    return g && !g->widget->isEnabled();
}
void gui_set_selected(int win, int gid, bool selected) {
    Gadget* g = gadget(win, gid);
    if (!g) return;
    QSignalBlocker block(g->widget);
    if (auto* b = dynamic_cast<QAbstractButton*>(g->widget)) b->setChecked(selected);
}
bool gui_get_selected(int win, int gid) {
    Gadget* g = gadget(win, gid);
    auto* b = g ? dynamic_cast<QAbstractButton*>(g->widget) : nullptr;
    return b && b->isChecked();
}
void gui_set_items(int win, int gid, const std::vector<std::string>& items) {
    Gadget* g = gadget(win, gid);
    if (!g) return;
    QSignalBlocker block(g->widget);
    if (auto* c = dynamic_cast<QComboBox*>(g->widget)) {
        c->clear();
        for (const std::string& s : items)
            c->addItem(QString::fromStdString(s));
    } else if (auto* l = dynamic_cast<QListWidget*>(g->widget)) {
        l->clear();
        for (const std::string& s : items)
            l->addItem(QString::fromStdString(s));
    }
}
void gui_set_range(int win, int gid, int min, int max, int visible) {
    Gadget* g = gadget(win, gid);
    if (!g) return;
    if (max < min) max = min;
    QSignalBlocker block(g->widget);
    if (auto* sb = dynamic_cast<QScrollBar*>(g->widget)) {
        g->visible = visible;
        scroller_range(sb, max, visible);
    } else if (auto* sl = dynamic_cast<QSlider*>(g->widget)) {
        slider_range(sl, min, max);
    } else if (auto* p = dynamic_cast<QProgressBar*>(g->widget)) {
        p->setRange(min, max);
    } else if (auto* s = dynamic_cast<QSpinBox*>(g->widget)) {
        s->setRange(min, max);
    }
}
void gui_set_image(int win, int gid, int image) {
    Gadget* g = gadget(win, gid);
    if (!g) return;
    auto it = images.find(image);
    if (auto* l = dynamic_cast<QLabel*>(g->widget)) {
        if (it != images.end())
            l->setPixmap(it->second);
        else
            l->clear();
    }
}
void gui_set_hint(int win, int gid, const char* text) {
    if (Gadget* g = gadget(win, gid)) g->widget->setToolTip(QString::fromUtf8(text));
}
void gui_show_whole_text(int win, int gid, bool on) {
    Gadget* g = gadget(win, gid);
    if (auto* f = g ? dynamic_cast<WholeTextField*>(g->widget) : nullptr) f->show_whole(on);
}
void gui_set_background(int win, int gid, int rgb) {
    Gadget* g = gadget(win, gid);
    if (!g) return;
    set_background(g->widget, rgb);
}
void gui_set_rows(int win, int gid, const std::vector<GuiListRow>& rows) {
    Gadget* g = gadget(win, gid);
    auto* t = g ? dynamic_cast<QTreeWidget*>(g->widget) : nullptr;
    if (!t) return;
    QSignalBlocker block(t);
    fill_rows(t, rows);
    t->setCurrentItem(nullptr);
}
void gui_list_scroll(int win, int gid, int command) {
    Gadget* g = gadget(win, gid);
    auto* v = g ? dynamic_cast<QAbstractItemView*>(g->widget) : nullptr;
    if (!v) return;
    QScrollBar* b = v->verticalScrollBar();
    static const QAbstractSlider::SliderAction actions[] = {
        QAbstractSlider::SliderSingleStepSub, QAbstractSlider::SliderSingleStepAdd,
        QAbstractSlider::SliderPageStepSub,   QAbstractSlider::SliderPageStepAdd,
        QAbstractSlider::SliderToMinimum,     QAbstractSlider::SliderToMaximum};
    if (command >= 1 && command <= 6) b->triggerAction(actions[command - 1]);
}
int gui_list_top(int win, int gid) {
    Gadget* g = gadget(win, gid);
    auto* v = g ? dynamic_cast<QAbstractItemView*>(g->widget) : nullptr;
    if (!v) return 0;
    const QModelIndex i = v->indexAt(QPoint(1, 1));
    return i.isValid() ? i.row() : 0;
}
void gui_activate_gadget(int win, int gid) {
    if (Gadget* g = gadget(win, gid)) g->widget->setFocus();
}
int gui_focused_gadget(int win) {
    QtWindow* w = find(win);
    QWidget* focus = w ? w->widget->focusWidget() : nullptr;
    if (!focus) return 0;
    for (auto& [gid, g] : w->gadgets)
        if (g.widget && (g.widget == focus || g.widget->isAncestorOf(focus))) return gid;
    return 0;
}
void gui_select_text(int win, int gid) {
    Gadget* g = gadget(win, gid);
    if (auto* e = g ? dynamic_cast<QLineEdit*>(g->widget) : nullptr) e->selectAll();
}
// Button `index` (from 1) of toolbar gadget `gid`, or nullptr.
static QToolButton* bar_button(int win, int gid, int index) {
    Gadget* g = gadget(win, gid);
    return g && index >= 1 && index <= static_cast<int>(g->bar.size()) ? g->bar[index - 1] : nullptr;
}
void gui_bar_set(int win, int gid, int index, bool enabled, bool selected) {
    QToolButton* t = bar_button(win, gid, index);
    if (!t) return;
    QSignalBlocker block(t);
    t->setEnabled(enabled);
    if (t->isCheckable()) t->setChecked(selected);
}
bool gui_bar_selected(int win, int gid, int index) {
    QToolButton* t = bar_button(win, gid, index);
    return t && t->isChecked();
}
void gui_bar_set_face(int win, int gid, int index, int image, const std::string& hint) {
    if (QToolButton* t = bar_button(win, gid, index)) set_bar_face(t, image, hint);
}
bool gui_bar_enabled(int win, int gid, int index) {
    QToolButton* t = bar_button(win, gid, index);
    return t && t->isEnabled();
}
GuiRect gui_gadget_rect(int win, int gid) {
    QtWindow* w = find(win);
    Gadget* g = gadget(win, gid);
    if (!w || !g) return GuiRect{};
    QRect r(g->widget->mapTo(w->widget, QPoint(0, 0)), g->widget->size());
    if (auto* d = dynamic_cast<DisplayWidget*>(g->widget))
        r = QRect(d->mapTo(w->widget, d->picture().topLeft()), d->picture().size());
    return GuiRect{r.left(), r.top(), r.right(), r.bottom()};
}
void gui_display_attach(int win, int gid, const std::uint8_t* pixels, int width, int height,
                        int stride, const std::uint32_t* table, int colours) {
    Gadget* g = gadget(win, gid);
    if (auto* d = g ? dynamic_cast<DisplayWidget*>(g->widget) : nullptr)
        d->attach(pixels, width, height, stride, table, colours);
}
void gui_display_set_colours(int win, int gid, const std::uint32_t* table, int colours) {
    Gadget* g = gadget(win, gid);
    if (!table || colours <= 0) return;
    if (auto* d = g ? dynamic_cast<DisplayWidget*>(g->widget) : nullptr) d->recolour(table, colours);
}
void gui_display_refresh(int win, int gid) {
    Gadget* g = gadget(win, gid);
    if (g) g->widget->update();
}
void gui_display_refresh_rows(int win, int gid, int first, int count) {
    Gadget* g = gadget(win, gid);
    if (!g || count <= 0) return;
    if (auto* d = dynamic_cast<DisplayWidget*>(g->widget))
        d->update_rows(first, count);
    else
        g->widget->update();
}
