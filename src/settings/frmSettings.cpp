#include "frmSettings.h"

#include "shared/Context.h"
#include "shared/StatusTexts.h"
#include "store/ErrorText.h"
#include "store/ProfileList.h"
#include "store/SettingsFile.h"
#include "widgets/ChoiceList.h"
#include "widgets/Decoration.h"
#include "widgets/DialogFrame.h"
#include "widgets/Header.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace tuvano::settings {

namespace {

using platform::Icon;
using shared::kFalse;
using shared::kTrue;

template <class Button> Button* named(Button* button, const QString& name)
{
    button->setObjectName(name);
    return button;
}

QGroupBox* frame(const QString& name, const QString& title, QWidget* parent)
{
    auto* box = new QGroupBox(title, parent);
    box->setObjectName(name);
    return box;
}

} // namespace

frmSettings::frmSettings(shared::Context& context) : m_context(context)
{
    QVBoxLayout* root = widgets::dialogLayout(this, u"frmSettings"_s, u"Inställningar"_s);
    root->addWidget(new widgets::Header(
        {u"Label5"_s, u"lblId"_s, u"Line2"_s, u"Line1"_s},
        u"Ändra programinställningar för Lexaro Tuvano!"_s,
        u"Välj de alternativ Du vill ändra. Klicka på 'Använd' för att spara ändringar och återgå."_s,
        this));
    root->addWidget(buildQuickStartFrame());
    root->addWidget(buildDefaultFrame());
    root->addWidget(buildOtherFrame());
    root->addStretch(1);
    root->addWidget(widgets::etchedSeparator(u"Line4"_s, u"Line3"_s, this));

    cmdCancel = widgets::namedButton(u"cmdCancel"_s, u"A&vbryt"_s, this);
    cmdDo = widgets::namedButton(u"cmdDo"_s, u"&Använd"_s, this);
    connect(cmdCancel, &QPushButton::clicked, this, &frmSettings::cmdCancel_Click);
    connect(cmdDo, &QPushButton::clicked, this, &frmSettings::cmdDo_Click);
    widgets::addButtonRow(root, cmdCancel, cmdDo);

    const QList<QWidget*> order{chkAutoval, cmbProfiles, optIngen, opt3,        opt10,
                                opt30,      cmdCancel,   cmdDo,    chkShutdown, chkShow};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
    chkAutoval->setFocus();
    root->setSizeConstraint(QLayout::SetFixedSize);
}

QWidget* frmSettings::buildQuickStartFrame()
{
    QGroupBox* box = frame(u"Frame1"_s, u"Automatiskt profilval"_s, this);
    auto* layout = new QVBoxLayout(box);
    chkAutoval = named(new QCheckBox(u"Använd &automatiskt profilval. Profilval sker automatiskt "
                                     u"när musknappen släpps upp."_s,
                                     box),
                       u"chkAutoval"_s);
    layout->addWidget(chkAutoval);
    return box;
}

QWidget* frmSettings::buildDefaultFrame()
{
    QGroupBox* box = frame(u"Frame2"_s, u"Förvald profil"_s, this);
    auto* layout = new QVBoxLayout(box);
    layout->setSpacing(6);
    QLabel* listCaption = widgets::namedLabel(
        u"Label1"_s, u"Välj profil i listan som skall vara förvald vid programstart."_s, box, true);
    layout->addWidget(listCaption);
    cmbProfiles = new widgets::ChoiceList(box);
    cmbProfiles->setObjectName(u"cmbProfiles"_s);
    cmbProfiles->setAccessibleName(listCaption->text());
    layout->addWidget(cmbProfiles);
    layout->addSpacing(6);
    layout->addWidget(widgets::namedLabel(u"Label2"_s,
                                          u"Tid i sekunder innan vald profil startas automatiskt. "
                                          u"Nedräkning avbryts vid musklick."_s,
                                          box, true));
    auto* options = new QGridLayout;
    optIngen = named(new QRadioButton(u"&Ingen nedräkning."_s, box), u"optIngen"_s);
    opt3 = named(new QRadioButton(u"&3 sekunder."_s, box), u"opt3"_s);
    opt10 = named(new QRadioButton(u"&10 sekunder."_s, box), u"opt10"_s);
    opt30 = named(new QRadioButton(u"3&0 sekunder."_s, box), u"opt30"_s);
    options->addWidget(optIngen, 0, 0);
    options->addWidget(opt3, 0, 1);
    options->addWidget(opt10, 1, 0);
    options->addWidget(opt30, 1, 1);
    layout->addLayout(options);
    return box;
}

QWidget* frmSettings::buildOtherFrame()
{
    QGroupBox* box = frame(u"Frame3"_s, u"Övrigt"_s, this);
    auto* layout = new QVBoxLayout(box);
    chkShow = named(new QCheckBox(u"&Visa Profilövervakaren under körningen av Lexaro."_s, box),
                    u"chkShow"_s);
    chkShutdown = named(new QCheckBox(u"&Stäng Lexaro Tuvano! samtidigt som Lexaro avslutas "
                                      u"(rekommenderas)."_s,
                                      box),
                        u"chkShutdown"_s);
    layout->addWidget(chkShow);
    layout->addWidget(chkShutdown);
    return box;
}

void frmSettings::cantOpen(const QString& reason)
{
    m_context.platform.message(u"Inställningarna kan inte visas.\n\n" + reason, u"Inställningar"_s,
                               Icon::Exclamation);
}

bool frmSettings::Form_Load()
{
    const auto stored = store::SettingsFile(m_context.folder).read();
    if (!stored) {
        cantOpen(store::errorText(stored.error()));
        return false;
    }
    const auto list = store::ProfileList(m_context.folder).read();
    if (!list) {
        cantOpen(store::errorText(list.error()));
        return false;
    }
    shared::ProgramState& state = m_context.state;
    state.load(*stored);
    cmbProfiles->setEntries(store::namesOf(*list));
    cmbProfiles->walkTo(state.sDefaultProfile);
    chkAutoval->setChecked(state.fQuickStart == kTrue);
    chkShutdown->setChecked(state.fShutdown == kTrue);
    chkShow->setChecked(state.fShowMonitor == kTrue);
    switch (state.nAutoSelectDelay) {
    case 0:
        optIngen->setChecked(true);
        break;
    case 3:
        opt3->setChecked(true);
        break;
    case 10:
        opt10->setChecked(true);
        break;
    case 30:
        opt30->setChecked(true);
        break;
    default: // a length the dialog does not offer: no option is chosen
        break;
    }
    return true;
}

store::Settings frmSettings::chosen() const
{
    const auto truth = [](const QCheckBox* box) {
        return box->checkState() != Qt::Unchecked ? kTrue : kFalse;
    };
    store::Settings s;
    s.fQuickStart = truth(chkAutoval);
    s.fShutdown = truth(chkShutdown);
    s.fShowMonitor = truth(chkShow);
    s.sDefaultProfile = cmbProfiles->currentText();
    s.nAutoSelectDelay = optIngen->isChecked() ? 0
                         : opt3->isChecked()   ? 3
                         : opt10->isChecked()  ? 10
                                               : 30;
    return s;
}

void frmSettings::cmdDo_Click()
{
    const store::Settings settings = chosen();
    // Nothing changes unless the file could be written.
    if (const store::Status written = store::SettingsFile(m_context.folder).write(settings);
        !written) {
        m_context.platform.message(u"Inställningarna kunde inte sparas.\n\n" +
                                       store::errorText(written.error()),
                                   u"Inställningar"_s, Icon::Exclamation);
        return;
    }
    shared::ProgramState& state = m_context.state;
    state.load(settings);
    shared::StartWindow& mainWindow = m_context.startWindow;
    mainWindow.setCountdownLine(state.nAutoSelectDelay != 0
                                    ? shared::texts::countdownStopped(state.sDefaultProfile)
                                    : shared::texts::countdownOff());
    mainWindow.setQuickStartLine(shared::texts::quickStart(state.fQuickStart == kTrue));
    mainWindow.chooseProfile(state.sDefaultProfile);
    m_context.windows.unloadSettings();
}

void frmSettings::cmdCancel_Click() { m_context.windows.unloadSettings(); }

} // namespace tuvano::settings
