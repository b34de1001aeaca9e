// Window test of the languages: with the shipped dictionary, the main window (every page)
// and the side windows show in Italian no text that they show in English, except the
// texts that are the same in both languages of the dictionary, texts without letters, the
// fixed texts the windows show in every language, and the type names of LNG/ConfigScale.ini
// (installation data, not texts of the program).
#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QSet>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTest>

#include "model/ScaleConfig.h"
#include "ui/FrmErrEcu.h"
#include "ui/FrmInjSet.h"
#include "ui/FrmLevelSetting.h"
#include "ui/FrmSetExpert.h"
#include "ui/ModelPage.h"
#include "ui/MapPageUi.h"
#include "ui/SideWindows.h"
#include "ui/QtText.h"
#include "UiRig.h"

using namespace gw;
using namespace uitest;

namespace {

// Texts shown as they are in every language: protocol and state words, control captions
// kept as designed, list items, port names.
const QSet<QString> kFixed = {
    "KEY", "EV 1", "EV 2", "BNZ", "GAS", "RUN", "SLV", "R.P.M.", "X", "Esc", "Canc.", "&File", "&?",
    "Help", "&About", " OFFLINE", " SEARCH COM", " USB", "Inj_##", "10 Kohm", "4.7 Kohm", "5 bar", "1 bar",
    "Abs 4 bar", "English", "Italiano", "SETTING",
};

bool Fixed(const QString& t) {
    if (kFixed.contains(t)) return true;
    static const QRegularExpression forms(
        "^( +COM ?\\d|Inj_\\d|INJ \\d|\\d+Inj #|COM [A-Z. ]+|Time: .*|.*Software ver\\. .*)$");
    return forms.match(t).hasMatch() || !t.contains(QRegularExpression("[A-Za-z]"));
}

// Texts equal in English and Italian in the shipped dictionary.
QSet<QString> SameInBothLanguages(const std::string& diz) {
    QStringList lines = QString::fromUtf8(diz.data(), static_cast<int>(diz.size())).split("\r\n");
    QList<QStringList> langs;
    for (const QString& l : lines) {
        if (l == "###") {
            langs.append(QStringList());
        } else if (!langs.isEmpty()) {
            langs.last().append(l);
        }
    }
    QSet<QString> same;
    if (langs.size() < 2) return same;
    for (int i = 1; i < langs[0].size() && i < langs[1].size(); ++i)
        if (langs[0][i] == langs[1][i]) same.insert(langs[0][i]);
    return same;
}

// Shown: the widget and its ancestors are not hidden, pages of a page control counting as
// shown (each page is looked at).
bool Shown(QWidget* w) {
    for (; w; w = w->parentWidget()) {
        if (w->isWindow()) return true;
        if (w->isHidden() && !qobject_cast<QStackedWidget*>(w->parentWidget())) return false;
    }
    return true;
}

// A widget's place in its window: class, name and index among its parent's children.
QString Key(QObject* o) {
    QString k;
    for (; o; o = o->parent()) {
        const int at = o->parent() ? static_cast<int>(o->parent()->children().indexOf(o)) : 0;
        k = QString("%1:%2:%3/").arg(o->metaObject()->className(), o->objectName()).arg(at) + k;
    }
    return k;
}

// Every text a window shows: captions, labels, button texts, frame titles, tabs, list
// items and menus.
QMap<QString, QString> Texts(QWidget* window) {
    QMap<QString, QString> out;
    auto add = [&out](const QString& key, const QString& text) {
        if (!text.trimmed().isEmpty()) out.insert(key, text);
    };
    add(Key(window) + "title", window->windowTitle());
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!Shown(w) || w->window() != window) continue;
        const QString k = Key(w);
        if (auto* l = qobject_cast<QLabel*>(w)) add(k, l->text());
        if (auto* b = qobject_cast<QAbstractButton*>(w)) add(k, b->text());
        if (auto* g = qobject_cast<QGroupBox*>(w)) add(k, g->title());
        if (auto* t = qobject_cast<QTabWidget*>(w))
            for (int i = 0; i < t->count(); ++i) add(k + QString::number(i), t->tabText(i));
        if (auto* c = qobject_cast<QComboBox*>(w))
            for (int i = 0; i < c->count(); ++i) add(k + QString::number(i), c->itemText(i));
    }
    if (auto* mw = qobject_cast<QMainWindow*>(window))
        for (QAction* menu : mw->menuBar()->actions()) {
            add(Key(mw) + menu->text(), menu->text());
            if (menu->menu())
                for (QAction* a : menu->menu()->findChildren<QAction*>()) add(Key(a) + a->text(), a->text());
        }
    return out;
}

// The main window and the side windows, opened (the expert window past its second
// password), in the language given.
QMap<QString, QString> AllTexts(const std::string& diz, const char* language) {
    Rig rig(diz, language, Core());
    AttachSideWindows(*rig.win, *rig.ui, *rig.wb);
    AttachModelPage(*rig.win, *rig.ui, *rig.wb);
    AttachMapPage(*rig.win, *rig.ui, *rig.wb, rig.host);
    SideWindows* side = SideWindowsOf(*rig.win);
    if (!Connected(rig)) return {};
    side->OpenInjSet();
    side->LevelSetting()->Open();
    side->OpenExpert();
    side->SetExpert()->Logic().PasswordEnter(rig.wb->Image->Scale().PassWord01);
    side->SetExpert()->Sync();
    side->ErrEcu()->Open();
    QTest::qWait(200);
    QMap<QString, QString> texts;
    const ScaleConfig& scale = rig.wb->Image->Scale();
    for (const auto& t : scale.GasLevelTypes) texts.insert("type:" + ToQ(t.Name), ToQ(t.Name));
    for (const auto& t : scale.InjTypes) texts.insert("type:" + ToQ(t.Name), ToQ(t.Name));
    for (const auto& t : scale.LambdaTypes) texts.insert("type:" + ToQ(t.Name), ToQ(t.Name));
    for (QWidget* w : std::initializer_list<QWidget*>{rig.win.get(), side->InjSet(), side->LevelSetting(),
                                                      side->SetExpert(), side->ErrEcu()}) {
        const auto t = Texts(w);
        for (auto it = t.begin(); it != t.end(); ++it) texts.insert(it.key(), it.value());
    }
    return texts;
}

}  // namespace

class LanguageTest : public QObject {
    Q_OBJECT

private slots:
    void italianShowsNoEnglishText() {
        const std::string diz = ReadFile(QString(GW_APP_DIR) + "/LNG/M3.diz");
        const QSet<QString> same = SameInBothLanguages(diz);
        QVERIFY(same.contains("PARAMETRI"));
        const auto english = AllTexts(diz, "0\r\n");
        const auto italian = AllTexts(diz, "1\r\n");
        QVERIFY(english.size() > 100);
        QStringList stayed;
        QSet<QString> types;
        for (auto it = italian.begin(); it != italian.end(); ++it)
            if (it.key().startsWith("type:")) types.insert(it.value());
        for (auto it = italian.begin(); it != italian.end(); ++it) {
            const QString& t = it.value();
            if (english.value(it.key()) == t && !same.contains(t.trimmed()) && !types.contains(t) && !Fixed(t))
                stayed << t;
        }
        stayed.removeDuplicates();
        QVERIFY2(stayed.isEmpty(), qPrintable("still English in Italian: \"" + stayed.join("\", \"") + "\""));
    }
};

int RunLanguageTest(int argc, char** argv) {
    LanguageTest t;
    return QTest::qExec(&t, argc, argv);
}

#include "LanguageTest.moc"
