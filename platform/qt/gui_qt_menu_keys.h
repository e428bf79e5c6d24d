// Menu items' shortcuts as Qt takes them: the key sequence an item answers
// and the text the menu shows for it.
#pragma once

#include <QKeySequence>
#include <QString>

#include <string>

// The key sequence of a shortcut text ("Ctrl+Shift+H", "Ctrl+&"); an empty one
// for an empty text.
QKeySequence qt_menu_shortcut(const std::string& shortcut);
// What the menu shows for an item: its text and, after a tab, its shortcut as
// written. Qt reads "&" in either part as a key mark, so each one is doubled
// ("Ctrl+&" would show as "Ctrl+").
QString qt_menu_item_text(const std::string& text, const std::string& shortcut);
