#include "platform/qt/gui_qt_menu_keys.h"

QKeySequence qt_menu_shortcut(const std::string& shortcut) {
    return QKeySequence(QString::fromStdString(shortcut), QKeySequence::PortableText);
}

QString qt_menu_item_text(const std::string& text, const std::string& shortcut) {
    QString shown = QString::fromStdString(text).replace(QLatin1Char('&'), QLatin1String("&&"));
    if (!shortcut.empty())
        shown += QLatin1Char('\t') +
                 QString::fromStdString(shortcut).replace(QLatin1Char('&'), QLatin1String("&&"));
    return shown;
}
