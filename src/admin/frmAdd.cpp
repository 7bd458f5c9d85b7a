#include "frmAdd.h"

#include "ProfileCreation.h"
#include "shared/Context.h"
#include "store/ErrorText.h"
#include "store/ProfileSave.h"
#include "store/TextCodec.h"
#include "widgets/ChoiceList.h"
#include "widgets/Decoration.h"
#include "widgets/DialogFrame.h"
#include "widgets/Header.h"
#include "widgets/WrapLabel.h"

#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace tuvano::admin {

namespace {

using platform::Icon;

const QString kFallBack =
    u"Profilnamnet kommer därför att sättas till profilidentifikationen för den nya profilen!"_s;

} // namespace

frmAdd::frmAdd(shared::Context& context) : m_context(context)
{
    QVBoxLayout* root = widgets::dialogLayout(this, u"frmAdd"_s, u"Lägg till profil..."_s);
    auto* header =
        new widgets::Header({u"Label5"_s, u"lblId"_s, u"Line2"_s, u"Line1"_s}, u"Skapa ny profil"_s,
                            u"Profilidentifikation: 0000000."_s, this);
    lblId = header->info;
    root->addWidget(header);

    auto* form = new QGridLayout;
    form->setHorizontalSpacing(10);
    form->setVerticalSpacing(8);
    QLabel* nameCaption = widgets::namedLabel(u"Label1"_s, u"Profilnamn:"_s, this);
    form->addWidget(nameCaption, 0, 0, Qt::AlignTop);
    lblNamn = new widgets::WrapLabel(u"0000000"_s, this);
    lblNamn->setObjectName(u"lblNamn"_s);
    lblNamn->setLinkLook();
    lblNamn->setToolTip(u"Klicka för att ange ett namn"_s);
    // However long the name, the buttons stay on the screen.
    lblNamn->setMaximumLineCount(8);
    // The keyboard reaches the name too, first in the tab order as it stands
    // first in the dialog; Space or Enter asks for a name.
    lblNamn->setFocusPolicy(Qt::TabFocus);
    connect(lblNamn, &widgets::ClickLabel::clicked, this, &frmAdd::lblNamn_Click);
    form->addWidget(lblNamn, 0, 1);
    QLabel* baseCaption =
        widgets::namedLabel(u"Label2"_s, u"Basera den nya profilen på följande profil:"_s, this);
    form->addWidget(baseCaption, 1, 0, 1, 2);
    cmbProfiles = new widgets::ChoiceList(this);
    cmbProfiles->setObjectName(u"cmbProfiles"_s);
    cmbProfiles->setAccessibleName(baseCaption->text());
    form->addWidget(cmbProfiles, 2, 0, 1, 2);
    form->setColumnStretch(1, 1);
    root->addLayout(form);
    root->addStretch(1);
    root->addWidget(widgets::etchedSeparator(u"Line4"_s, u"Line3"_s, this));

    cmdCancel = widgets::namedButton(u"cmdCancel"_s, u"&Avbryt"_s, this);
    cmdDo = widgets::namedButton(u"cmdDo"_s, u"&Lägg till"_s, this);
    connect(cmdCancel, &QPushButton::clicked, this, &frmAdd::cmdCancel_Click);
    connect(cmdDo, &QPushButton::clicked, this, &frmAdd::cmdDo_Click);
    widgets::addButtonRow(root, cmdCancel, cmdDo);

    setTabOrder(lblNamn, cmbProfiles);
    setTabOrder(cmbProfiles, cmdDo);
    setTabOrder(cmdDo, cmdCancel);
    cmbProfiles->setFocus();
    resize(400, 250);
}

bool frmAdd::event(QEvent* event)
{
    const bool handled = QWidget::event(event);
    // A window's layout asks for no more height when a text wraps to more
    // lines: the dialog grows until the whole name shows.
    if (event->type() == QEvent::LayoutRequest)
        resize(QLayout::closestAcceptableSize(this, size()));
    return handled;
}

void frmAdd::drawId(const store::ProfileRecords& list)
{
    m_context.platform.reseedRandom();
    do
        ID = identifierFrom(m_context.platform.randomFraction());
    while (!isFreeIdentifier(m_context.folder, list, ID));
    lblId->setText(u"Profilidentifikation: " + ID + u'.');
}

bool frmAdd::Form_Load()
{
    const auto list = m_context.obtainProfileList();
    if (!list)
        return false;
    drawId(*list);
    lblNamn->setText(ID);
    cmbProfiles->setEntries(store::namesOf(*list));
    if (cmbProfiles->count() > 0)
        cmbProfiles->setListIndex(0);
    return true;
}

void frmAdd::fallBackToId(const QString& text, const QString& title)
{
    m_context.platform.message(text, title, Icon::Exclamation);
    lblNamn->setText(ID);
}

void frmAdd::lblNamn_Click()
{
    lblNamn->setText(m_context.platform.inputBox(
        u"Ange det nya namnet för profilen som kommer att skapas!"_s, u"Profilnamn"_s, {}));
    if (lblNamn->text().isEmpty())
        fallBackToId(u"Det är inte tillåtet att ha ett blankt profilnamn.\n\n" + kFallBack,
                     u"Blankt profilnamn"_s);
    else if (!store::codec::isStorable(lblNamn->text()))
        fallBackToId(u"Profilnamnet innehåller citattecken, radbrytningar eller andra tecken "
                     u"som inte kan sparas i profillistan.\n\n" +
                         kFallBack,
                     u"Ogiltigt profilnamn"_s);
}

void frmAdd::cmdDo_Click()
{
    platform::Platform& platform = m_context.platform;
    const store::ProgramFolder& folder = m_context.folder;
    const auto list = store::ProfileList(folder).read();
    if (!list) {
        platform.message(u"Profilen kunde inte skapas.\n\n" + store::errorText(list.error()),
                         u"Fel"_s, Icon::Exclamation);
        return;
    }
    for (const store::ProfileRecord& record : *list) {
        if (record.name == lblNamn->text())
            fallBackToId(
                u"Det valda profilnamnet kan ej skapas. Varje profilnamn måste vara unikt."_s,
                u"Profilnamn ej unikt"_s);
    }
    // A save cut short leaves its profile with files from before and after
    // the session: it is finished before any profile's files are copied.
    if (const store::Status finished = store::finishPendingSave(m_context.folder); !finished) {
        platform.message(u"Profilen kunde inte skapas. Ingenting har lagts till.\n\n" +
                             store::errorText(finished.error()),
                         u"Fel"_s, Icon::Exclamation);
        return;
    }
    QString base = folder.profileFolder(store::kStandardProfileId);
    if (const auto id = store::lastIdOf(*list, cmbProfiles->currentText()))
        base = folder.profileFolder(*id);
    // The list or the folders may have changed since the identifier was drawn.
    if (!isFreeIdentifier(folder, *list, ID)) {
        const bool namedById = lblNamn->text() == ID;
        drawId(*list);
        if (namedById)
            lblNamn->setText(ID);
    }

    if (const store::Status made = createProfile(folder, {lblNamn->text(), ID}, base); !made) {
        platform.message(u"Profilen kunde inte skapas. Ingenting har lagts till.\n\n" +
                             store::errorText(made.error()),
                         u"Fel"_s, Icon::Exclamation);
        return;
    }
    platform.message(u"Den nya profilen har skapats!"_s, u"Profil klar!"_s, Icon::Information);
    shared::Windows& windows = m_context.windows;
    windows.reloadProfiles();
    windows.unloadAdd();
    windows.showProfiles();
}

void frmAdd::cmdCancel_Click() { m_context.windows.unloadAdd(); }

} // namespace tuvano::admin
