#include "admin/frmAdd.h"
#include "admin/frmProfiles.h"
#include "platform/DesktopPlatform.h"
#include "session/SessionFixture.h"
#include "settings/frmSettings.h"
#include "widgets/ChoiceList.h"
#include "widgets/TextLabel.h"
#include "widgets/WrapLabel.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QHelpEvent>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QScreen>
#include <QTest>
#include <QTextDocument>
#include <QTimer>
#include <QToolTip>

using namespace tuvano;
using namespace Qt::StringLiterals;
using platform::Answer;
using test::qs;

namespace {

struct HardName {
    const char* label;
    QString name;
};

// Names a hand-edited or long-used list file may hold: ones that look like
// markup, and long ones, with and without places to break a line.
const HardName kHardNames[] = {
    {"Markup", u"Bo <b>Ek</b>"_s},
    {"LongWords", u"Klassrum 3B med eftermiddagsgruppen "_s.repeated(9).left(300)},
    {"LongWord", QString(300, u'W')},
    {"Thousands", u"Bo Ek "_s.repeated(500)},
};

// The window lies on its screen; every button, list and name label in it
// lies inside it, and no name label has fewer lines than its text needs.
void expectOnScreen(QWidget* window)
{
    QCoreApplication::sendPostedEvents(); // the layouts catch up
    const QRect screen = window->screen()->availableGeometry();
    EXPECT_TRUE(screen.contains(window->frameGeometry()))
        << window->objectName().toStdString() << " " << window->width() << "x" << window->height();
    for (QWidget* control : window->findChildren<QWidget*>()) {
        const bool required = qobject_cast<QAbstractButton*>(control) ||
                              qobject_cast<QComboBox*>(control) ||
                              qobject_cast<widgets::WrapLabel*>(control);
        if (!required || !control->isVisibleTo(window))
            continue;
        EXPECT_TRUE(
            window->rect().contains(QRect(control->mapTo(window, QPoint()), control->size())))
            << control->objectName().toStdString();
    }
    for (widgets::WrapLabel* label : window->findChildren<widgets::WrapLabel*>()) {
        if (label->isVisibleTo(window)) {
            EXPECT_GE(label->height(), label->heightForWidth(label->width()))
                << label->objectName().toStdString();
        }
    }
}

// What a control's tool tip shows, as plain text without its line breaks.
QString toolTipOf(QWidget* control)
{
    const QPoint inside(2, 2);
    QHelpEvent help(QEvent::ToolTip, inside, control->mapToGlobal(inside));
    QApplication::sendEvent(control, &help);
    if (!QToolTip::isVisible())
        return {};
    QTextDocument shown;
    shown.setHtml(QToolTip::text());
    // Gone at once, not left for the next control to seem to show. The tip is
    // a window of its own: a child of the control, or on Windows of no one.
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->objectName() == u"qtooltip_label"_s)
            delete window;
    }
    return shown.toPlainText().remove(u'\n');
}

// A label shows its whole text, or, cut short, its tool tip does.
void expectWhole(widgets::WrapLabel* label)
{
    const QString text = label->text().remove(u'\n');
    if (!label->isElided()) {
        EXPECT_EQ(label->shownLines().join(QString()), text);
        return;
    }
    const QString tip = toolTipOf(label);
    if (text.size() < 1000) // longer texts are cut short in the tool tip too
        EXPECT_TRUE(tip.startsWith(text)) << tip.toStdString();
    else
        EXPECT_FALSE(tip.isEmpty());
}

// Counts the times a window lays itself out anew.
class LayoutCount : public QObject {
public:
    int count = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        count += event->type() == QEvent::LayoutRequest;
        return false;
    }
};

class ShownNames : public test::SessionFixture, public ::testing::WithParamInterface<HardName> {
protected:
    const QString& name() const { return GetParam().name; }
    void startWithTheName(int delay)
    {
        startWith(settings("#FALSE#", delay, name().toLatin1().constData()),
                  {{u"Standardprofil"_s, u"1000000"_s}, {name(), u"2000000"_s}});
    }
};

TEST_P(ShownNames, TheCountdownLineKeepsItsSizeAndBothEndsOfEveryText)
{
    startWithTheName(10);
    widgets::StatusLine* line = main().lblAutoval;
    const QSize size = line->size();
    for (int i = 0; i < 3; ++i) // the layouts of the first showing settle
        QCoreApplication::sendPostedEvents();
    LayoutCount layouts;
    main().installEventFilter(&layouts);

    const auto expectShown = [&](const QString& lastWords) {
        QCoreApplication::sendPostedEvents();
        EXPECT_EQ(line->size(), size);
        EXPECT_EQ(layouts.count, 0); // each change repaints the line alone
        const QStringList lines = line->shownLines();
        EXPECT_TRUE(lines.first().startsWith(u"Automatiskt profilval med profil"_s));
        EXPECT_TRUE(lines.last().endsWith(lastWords)) << lines.last().toStdString();
        expectWhole(line);
    };
    expectShown(u"om 10 sekunder."_s);
    main().tmrDefault_Timer();
    expectShown(u"om 9 sekunder."_s);
    QTest::mouseClick(line, Qt::LeftButton);
    expectShown(u"Nedräkningen stoppad av musklick."_s);
    expectOnScreen(&main());
    test::expectAccessibleNames(&main());
}

TEST_P(ShownNames, TheMonitorNamesTheProfileOnItsOneLine)
{
    installHost();
    startWithTheName(0);
    main().cmdGo_Click();
    session::frmMonitor& monitor = hostStarts();
    EXPECT_EQ(monitor.lblProfilnamn->text(), u"Profilnamn: "_s + name());
    auto* label = qobject_cast<widgets::WrapLabel*>(monitor.lblProfilnamn);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->shownLines().size(), 1);
    expectWhole(label);
    expectOnScreen(&monitor);
    test::expectAccessibleNames(&monitor);
}

TEST_P(ShownNames, TheNewProfileDialogShowsTheTypedNameAndKeepsItsButtons)
{
    startWithTheName(0);
    main().lblAdministreraProfiler_Click();
    expectOnScreen(forms->profiles());
    forms->profiles()->cmdAdd_Click();
    admin::frmAdd& dialog = *forms->add();
    platform.inputs = {name()};
    QTest::mouseClick(dialog.lblNamn, Qt::LeftButton);
    EXPECT_EQ(dialog.lblNamn->text(), name());
    expectWhole(dialog.lblNamn);
    expectOnScreen(&dialog);
    test::expectAccessibleNames(&dialog);
}

TEST_P(ShownNames, TheListsShowTheChosenNameCutShortWithItWholeInTheToolTip)
{
    startWithTheName(0);
    main().lblInställningar_Click();
    settings::frmSettings& dialog = *forms->settingsWindow();
    for (QComboBox* list : {static_cast<QComboBox*>(main().cmbProfiler),
                            static_cast<QComboBox*>(dialog.cmbProfiles)}) {
        EXPECT_EQ(list->currentText(), name());
        const QString tip = toolTipOf(list);
        if (name().size() < 30)
            EXPECT_TRUE(tip.isEmpty()) << tip.toStdString();
        else
            EXPECT_TRUE(tip.startsWith(name().left(500))) << tip.toStdString();
    }
    expectOnScreen(&dialog);
    expectOnScreen(&main());
}

TEST_P(ShownNames, AMessageBoxShowsTheNameAsTypedAndStaysOnScreen)
{
    const QString text = qs("Är Du säker på att Du vill ta bort profilen ") + name() + u'?';
    bool looked = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        expectOnScreen(box);
        auto* label = box->findChild<QLabel*>(u"qt_msgbox_label"_s);
        ASSERT_NE(label, nullptr);
        // What a reader is told is what is drawn: markup stays as typed.
        QString told = QAccessible::queryAccessibleInterface(label)->text(QAccessible::Name);
        told.remove(u'\n');
        if (text.size() < 1000) {
            EXPECT_EQ(told, text);
        } else {
            EXPECT_TRUE(told.startsWith(text.left(60)) && told.endsWith(text.right(20)));
            EXPECT_EQ(box->accessibleDescription(), text);
        }
        looked = true;
        for (QAbstractButton* button : box->buttons()) {
            if (button->text() == u"&Ja"_s)
                QTest::mouseClick(button, Qt::LeftButton);
        }
    });
    platform::DesktopPlatform desktop;
    EXPECT_EQ(desktop.message(text, u"Bekräfta borttagning"_s, platform::Icon::Question,
                              platform::Buttons::YesNo),
              Answer::Yes);
    EXPECT_TRUE(looked);
}

// Each line is drawn where its text alone would be drawn, whole or cut short.
TEST_P(ShownNames, ALabelDrawsItsLinesWhereTheirTextsAloneWouldBe)
{
    for (const int maxLines : {0, 3}) {
        widgets::WrapLabel label(u"Profilen "_s + name().left(400) + u" startas.\nKlicka!"_s);
        label.setMaximumLineCount(maxLines);
        label.resize(230, label.heightForWidth(230));
        widgets::WrapLabel empty;
        empty.resize(label.size());
        QImage expected = empty.grab().toImage();
        QPainter painter(&expected);
        painter.setFont(label.font());
        painter.setPen(label.palette().color(QPalette::Active, label.foregroundRole()));
        const QFontMetrics fm = label.fontMetrics();
        int top = 0;
        for (const QString& line : label.shownLines()) {
            painter.drawText(0, top + fm.ascent(), line);
            top += fm.lineSpacing();
        }
        painter.end();
        EXPECT_EQ(label.grab().toImage(), expected) << maxLines;
    }
}

// A label that measures its text once takes the size a QLabel takes, in
// each of the ways a QLabel can be set up.
TEST_P(ShownNames, ALabelTakesTheSizeAQLabelTakes)
{
    QLabel buddy;
    const auto setUp = [&](QLabel& label, int way) {
        label.setTextFormat(Qt::PlainText);
        label.setText(u"&Profilen "_s + name().left(400) + u" startas.\nKlicka!"_s);
        label.setWordWrap(way % 2 == 0);
        label.setMargin(way % 3);
        label.setFrameStyle(way >= 4 ? QFrame::Box : QFrame::NoFrame);
        label.setAlignment(way % 4 == 1 ? Qt::AlignRight | Qt::AlignBottom : Qt::AlignLeft);
        label.setBuddy(way >= 2 ? &buddy : nullptr);
        label.setMinimumWidth(way == 5 ? 120 : 0);
        label.setFont(QFont(label.font().family(), way == 3 ? 13 : 9, QFont::Bold, way == 1));
    };
    for (int way = 0; way < 6; ++way) {
        QLabel expected;
        widgets::TextLabel label;
        setUp(expected, way);
        setUp(label, way);
        EXPECT_EQ(label.sizeHint(), expected.sizeHint()) << way;
        EXPECT_EQ(label.minimumSizeHint(), expected.minimumSizeHint()) << way;
        for (const int width : {0, 90, 230, 2000, QWIDGETSIZE_MAX})
            EXPECT_EQ(label.heightForWidth(width), expected.heightForWidth(width)) << way << width;
    }
}

// The list measures itself as QComboBox does when sized to its letters and
// an icon, whatever it holds and in whatever type it is set.
TEST_P(ShownNames, AListTakesTheSizeAQComboBoxTakes)
{
    for (int way = 0; way < 3; ++way) {
        QComboBox expected;
        expected.setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        expected.setMinimumContentsLength(widgets::ChoiceList::kLetters);
        widgets::ChoiceList list;
        for (QComboBox* box : {&expected, static_cast<QComboBox*>(&list)}) {
            box->addItems({name(), u"Bo"_s});
            box->setFont(QFont(box->font().family(), way == 1 ? 15 : 9, QFont::Bold));
            box->setIconSize(way == 2 ? QSize(40, 30) : box->iconSize());
            box->setPlaceholderText(way == 2 ? name().left(60) : QString());
        }
        EXPECT_EQ(list.sizeHint(), expected.sizeHint()) << way;
        EXPECT_EQ(list.minimumSizeHint(), expected.minimumSizeHint()) << way;
    }
}

INSTANTIATE_TEST_SUITE_P(Widgets, ShownNames, ::testing::ValuesIn(kHardNames),
                         [](const auto& info) { return std::string(info.param.label); });

TEST(DesktopInputBox, ShowsItsPromptAsTypedAndGivesTheTypedText)
{
    const QString prompt = u"Ange namnet på <b>Bo</b>:"_s;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        auto* label = dialog->findChild<QLabel*>();
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(QAccessible::queryAccessibleInterface(label)->text(QAccessible::Name), prompt);
        QTest::keyClicks(dialog->findChild<QLineEdit*>(), u"Bo <i>Ek</i>"_s);
        QTest::keyClick(dialog, Qt::Key_Return);
    });
    platform::DesktopPlatform desktop;
    EXPECT_EQ(desktop.inputBox(prompt, u"Profilnamn"_s, {}), u"Bo <i>Ek</i>"_s);
}

} // namespace
