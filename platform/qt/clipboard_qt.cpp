// The clipboard on the desktop: unit 0 is the desktop's clipboard, where a
// clip goes as its IFF bytes (under our own type) and, for text, as plain
// text for other programs. The other units are kept by this program.
#include "platform/gui.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>

#include <map>

namespace {
constexpr const char* IFF_MIME = "application/x-iff";
struct Clip {
    std::vector<std::uint8_t> iff;
    std::string text;
};
std::map<int, Clip> private_clips;
} // namespace

bool gui_clip_write(int unit, const std::vector<std::uint8_t>& iff, const std::string& text) {
    if (unit != 0) {
        private_clips[unit] = {iff, text};
        return true;
    }
    if (!QApplication::instance()) return false;
    QClipboard* clipboard = QApplication::clipboard();
    if (!clipboard) return false;
    auto* data = new QMimeData;
    data->setData(IFF_MIME, QByteArray(reinterpret_cast<const char*>(iff.data()),
                                       static_cast<qsizetype>(iff.size())));
    if (!text.empty())
        data->setText(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
    clipboard->setMimeData(data);
    return true;
}

bool gui_clip_read(int unit, std::vector<std::uint8_t>* iff, std::string* text) {
    iff->clear();
    text->clear();
    if (unit != 0) {
        const auto it = private_clips.find(unit);
        if (it != private_clips.end()) {
            *iff = it->second.iff;
            *text = it->second.text;
        }
        return true;
    }
    if (!QApplication::instance()) return false;
    const QClipboard* clipboard = QApplication::clipboard();
    if (!clipboard) return false;
    const QMimeData* data = clipboard->mimeData();
    if (!data) return true;
    if (data->hasFormat(IFF_MIME)) {
        const QByteArray bytes = data->data(IFF_MIME);
        iff->assign(bytes.begin(), bytes.end());
    } else if (data->hasText()) {
        const QByteArray bytes = data->text().toLatin1();
        text->assign(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    }
    return true;
}
