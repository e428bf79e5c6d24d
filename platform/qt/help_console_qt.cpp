// The help viewer (our HTML document in a text browser), the script console
// (what scripts write, with a Stop button) and the message console, drawn
// with Qt Widgets.
#include "platform/gui.h"
#include "platform/qt/gui_qt.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>
#include <QWidget>

#include <cstdio>
#include <deque>
#include <string>

namespace {

// --- help -------------------------------------------------------------------
void (*help_handler)(const char*) = nullptr;
std::deque<std::string> help_keys;

class HelpWindow : public QWidget {
  public:
    HelpWindow() {
        setWindowTitle(QStringLiteral("Brindlemox Help"));
        auto* lay = new QVBoxLayout(this);
        lay->setContentsMargins(4, 4, 4, 4);
        auto* bar = new QHBoxLayout;
        back_ = new QPushButton(QStringLiteral("Back"));
        forward_ = new QPushButton(QStringLiteral("Forward"));
        auto* contents = new QPushButton(QStringLiteral("Contents"));
        auto* close = new QPushButton(QStringLiteral("Close"));
        for (QPushButton* b : {back_, forward_, contents})
            bar->addWidget(b);
        bar->addStretch(1);
        bar->addWidget(close);
        lay->addLayout(bar);
        browser_ = new QTextBrowser;
        browser_->setOpenExternalLinks(true);
        lay->addWidget(browser_, 1);
        back_->setEnabled(false);
        forward_->setEnabled(false);
        connect(back_, &QPushButton::clicked, browser_, &QTextBrowser::backward);
        connect(forward_, &QPushButton::clicked, browser_, &QTextBrowser::forward);
        connect(contents, &QPushButton::clicked, [this] { show_node("MAIN"); });
        connect(close, &QPushButton::clicked, this, &QWidget::hide);
        connect(browser_, &QTextBrowser::backwardAvailable, back_, &QPushButton::setEnabled);
        connect(browser_, &QTextBrowser::forwardAvailable, forward_, &QPushButton::setEnabled);
        resize(720, 560);
    }
    bool show_file(const QString& file, const QString& node) {
        if (!QFileInfo(file).isReadable()) return false;
        file_ = file;
        QUrl url = QUrl::fromLocalFile(file);
        if (!node.isEmpty()) url.setFragment(node);
        if (browser_->source().adjusted(QUrl::RemoveFragment) == url.adjusted(QUrl::RemoveFragment))
            browser_->scrollToAnchor(node);
        browser_->setSource(url);
        if (!node.isEmpty()) browser_->scrollToAnchor(node);
        show();
        raise();
        activateWindow();
        return true;
    }
    void show_node(const QString& node) { show_file(file_, node); }

  private:
    QTextBrowser* browser_;
    QPushButton* back_;
    QPushButton* forward_;
    QString file_;
};

HelpWindow* help_window = nullptr;

// --- consoles ---------------------------------------------------------------
// The script console (with Stop) and the message console (without).
class ConsoleWindow : public QWidget {
  public:
    // The script console opens at the top left of the screen, the message
    // console below it; the message console keeps its lines (disassembly,
    // dumps) unwrapped and is wide enough for them.
    ConsoleWindow(const char* title, bool with_stop) {
        setWindowTitle(QString::fromUtf8(title));
        setAttribute(Qt::WA_ShowWithoutActivating);
        auto* lay = new QVBoxLayout(this);
        lay->setContentsMargins(4, 4, 4, 4);
        text_ = new QPlainTextEdit;
        text_->setReadOnly(true);
        text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        text_->setMaximumBlockCount(5000);
        if (!with_stop) text_->setLineWrapMode(QPlainTextEdit::NoWrap);
        lay->addWidget(text_, 1);
        auto* bar = new QHBoxLayout;
        stop_ = new QPushButton(QStringLiteral("Stop"));
        stop_->setToolTip(QStringLiteral("Stop the running script"));
        stop_->setEnabled(false);
        auto* clear = new QPushButton(QStringLiteral("Clear"));
        stop_->setVisible(with_stop);
        bar->addWidget(stop_);
        bar->addWidget(clear);
        bar->addStretch(1);
        lay->addLayout(bar);
        connect(stop_, &QPushButton::clicked, [this] { stop_asked = true; });
        connect(clear, &QPushButton::clicked, text_, &QPlainTextEdit::clear);
        if (with_stop) {
            resize(500, 300);
            qt_place_on_screen(this, 20, 20);
        } else {
            const int columns = text_->fontMetrics().horizontalAdvance(QString(100, QLatin1Char('M')));
            resize(columns + 40, 300);
            qt_place_on_screen(this, 20, 20 + 300 + 60);
        }
    }
    void write(const QString& text, bool show_it = true) {
        QScrollBar* bar = text_->verticalScrollBar();
        const bool at_end = bar->value() == bar->maximum();
        text_->moveCursor(QTextCursor::End);
        text_->insertPlainText(text);
        if (at_end) bar->setValue(bar->maximum());
        if (show_it && !isVisible()) show();
    }
    void set_running(bool running) { stop_->setEnabled(running); }
    void clear() { text_->clear(); }
    bool stop_asked = false;

  private:
    QPlainTextEdit* text_;
    QPushButton* stop_;
};

ConsoleWindow* console = nullptr;
ConsoleWindow* messages = nullptr;

} // namespace

void qt_help_key(const std::string& node) {
    help_keys.push_back(node);
}

void qt_help_keys_run() {
    while (!help_keys.empty()) {
        const std::string node = help_keys.front();
        help_keys.pop_front();
        if (help_handler) help_handler(node.c_str());
    }
}

void gui_host_set_help_handler(void (*show)(const char* node)) {
    help_handler = show;
}

bool gui_help_show(const char* file, const char* node) {
    if (!qApp || !file) return false;
    if (!help_window) help_window = new HelpWindow;
    return help_window->show_file(QString::fromUtf8(file), QString::fromUtf8(node ? node : ""));
}

void gui_help_close() {
    if (qt_display_gone()) return;
    delete help_window;
    help_window = nullptr;
}

bool gui_help_is_open() {
    return help_window && help_window->isVisible();
}

void gui_console_write(const char* text) {
    if (!text || !*text) return;
    if (!qApp || qt_display_gone()) {
        std::fputs(text, stdout);
        return;
    }
    if (!console) console = new ConsoleWindow("Brindlemox ARexx Console", true);
    console->write(QString::fromUtf8(text));
}

void gui_console_set_running(bool running) {
    if (console) console->set_running(running);
}

bool gui_console_take_stop() {
    if (!console || !console->stop_asked) return false;
    console->stop_asked = false;
    return true;
}

void gui_console_close() {
    if (qt_display_gone()) return;
    delete console;
    console = nullptr;
}

void gui_message_console_write(const char* text, bool show) {
    if (!text || !*text || !qApp || qt_display_gone()) return;
    if (!messages) messages = new ConsoleWindow("Brindlemox Console", false);
    messages->write(QString::fromUtf8(text), show);
}

bool gui_message_console_is_open() {
    return messages && messages->isVisible();
}

void gui_message_console_close() {
    if (qt_display_gone()) return;
    delete messages;
    messages = nullptr;
}

void gui_message_console_clear() {
    if (messages) messages->clear();
}
