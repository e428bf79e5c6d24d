// Every shortcut of the menu strip, as the Qt layer gives it to Qt: a key
// sequence of one key that answers the key the table names, shown in the
// menu as written.
#include "commands/menus.h"
#include "platform/gui.h"
#include "platform/qt/gui_qt_menu_keys.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

// The text Qt draws for a menu text: "&&" is "&", any other "&" marks the key
// after it and is not drawn.
QString drawn(const QString& text) {
    QString out;
    for (qsizetype i = 0; i < text.size(); i++) {
        if (text[i] == QLatin1Char('&') && i + 1 < text.size()) i++;
        else if (text[i] == QLatin1Char('&')) continue;
        out += text[i];
    }
    return out;
}

void walk(const std::vector<GuiMenuItem>& items, std::vector<const GuiMenuItem*>* out) {
    for (const GuiMenuItem& m : items) {
        if (!m.shortcut.empty()) out->push_back(&m);
        walk(m.sub, out);
    }
}

} // namespace

TEST(MenuShortcutsQt, EveryShortcutIsOneWorkingKeyShownAsWritten) {
    const std::vector<GuiMenuItem> strip = menu_build_strip();
    std::vector<const GuiMenuItem*> items;
    walk(strip, &items);
    ASSERT_GT(items.size(), 50u);
    std::map<int, std::string> taken;
    for (const GuiMenuItem* m : items) {
        SCOPED_TRACE(m->text + " " + m->shortcut);
        const QKeySequence seq = qt_menu_shortcut(m->shortcut);
        ASSERT_EQ(seq.count(), 1);
        const QKeyCombination key = seq[0];
        const bool shifted = m->shortcut.rfind("Ctrl+Shift+", 0) == 0;
        const std::string named = m->shortcut.substr(shifted ? 11 : 5);
        ASSERT_EQ(named.size(), 1u) << "one key after the modifiers";
        EXPECT_EQ(static_cast<int>(key.key()), QChar(named[0]).toUpper().unicode());
        EXPECT_EQ(key.keyboardModifiers(),
                  shifted ? Qt::ControlModifier | Qt::ShiftModifier : Qt::ControlModifier);
        EXPECT_EQ(seq.toString(QKeySequence::PortableText).toStdString(), m->shortcut);
        const QString shown = qt_menu_item_text(m->text, m->shortcut);
        const qsizetype tab = shown.indexOf(QLatin1Char('\t'));
        ASSERT_GE(tab, 0);
        EXPECT_EQ(drawn(shown.left(tab)).toStdString(), m->text);
        EXPECT_EQ(drawn(shown.mid(tab + 1)).toStdString(), m->shortcut);
        const auto [at, fresh] = taken.emplace(key.toCombined(), m->text);
        EXPECT_TRUE(fresh) << "also on " << at->second;
    }
}
