#include "frmProfiles.h"

#include "shared/Context.h"
#include "shared/StatusTexts.h"
#include "store/ErrorText.h"
#include "store/ProfileList.h"
#include "widgets/DialogFrame.h"
#include "widgets/Header.h"

#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace tuvano::admin {

namespace {

using platform::Answer;
using platform::Buttons;
using platform::Icon;

const QString kError = shared::texts::kErrorTitle.toString();

// What became of a removed profile's folder, when it is not simply gone.
void tellAboutFolder(platform::Platform& platform, const store::Removal& removal)
{
    const QString folder = QDir::toNativeSeparators(removal.folder);
    QString text;
    switch (removal.outcome) {
    case store::Removal::Folder::Removed:
    case store::Removal::Folder::Missing:
        return;
    case store::Removal::Folder::HoldsOtherFiles:
        if (removal.notDeleted.isEmpty())
            text = u"Profilens mapp innehåller andra filer än profilens egna och har därför "
                   u"lämnats kvar:\n" +
                   folder;
        else
            text = u"Profilens mapp har lämnats kvar:\n" + folder +
                   u"\n\nFöljande filer i den kunde inte tas bort:\n" +
                   QDir::toNativeSeparators(removal.notDeleted.join(u'\n'));
        break;
    case store::Removal::Folder::SharedId:
        text = u"Profilens mapp används också av en annan profil i listan och har därför "
               u"lämnats orörd:\n" +
               folder;
        break;
    }
    platform.message(text, u"Profilmappen finns kvar"_s, Icon::Exclamation);
}

} // namespace

frmProfiles::frmProfiles(shared::Context& context) : m_context(context)
{
    QVBoxLayout* root = widgets::dialogLayout(this, u"frmProfiles"_s, u"Administrera profiler"_s);
    auto* header =
        new widgets::Header({u"Label5"_s, u"lblinfo"_s, u"Line2"_s, u"Line1"_s},
                            u"Lägg till eller ta bort profiler."_s, u"Listar 0 profiler. "_s, this);
    lblinfo = header->info;
    root->addWidget(header);

    auto* body = new QHBoxLayout;
    body->setSpacing(12);
    lstProfiles = new QListWidget(this);
    lstProfiles->setObjectName(u"lstProfiles"_s);
    lstProfiles->setSelectionMode(QAbstractItemView::SingleSelection);
    lstProfiles->setAccessibleName(u"Profiler"_s);
    lstProfiles->setMinimumSize(240, 200);
    // The chosen row as plain to see when another window or box is active as
    // when this one is: the style's pale inactive highlight is easily missed.
    QPalette colours = lstProfiles->palette();
    for (const auto role : {QPalette::Highlight, QPalette::HighlightedText})
        colours.setColor(QPalette::Inactive, role, colours.color(QPalette::Active, role));
    lstProfiles->setPalette(colours);
    connect(lstProfiles, &QListWidget::itemSelectionChanged, this, &frmProfiles::lstProfiles_Click);
    body->addWidget(lstProfiles, 1);

    auto* column = new QVBoxLayout;
    cmdAdd = widgets::namedButton(u"cmdAdd"_s, u"&Lägg till"_s, this);
    cmdDel = widgets::namedButton(u"cmdDel"_s, u"&Ta bort"_s, this);
    cmdExit = widgets::namedButton(u"cmdExit"_s, u"&Stäng"_s, this);
    connect(cmdAdd, &QPushButton::clicked, this, &frmProfiles::cmdAdd_Click);
    connect(cmdDel, &QPushButton::clicked, this, &frmProfiles::cmdDel_Click);
    connect(cmdExit, &QPushButton::clicked, this, &frmProfiles::cmdExit_Click);
    column->addWidget(cmdAdd);
    column->addWidget(cmdDel);
    column->addStretch(1);
    column->addWidget(cmdExit);
    body->addLayout(column);
    root->addLayout(body, 1);

    setTabOrder(lstProfiles, cmdAdd);
    setTabOrder(cmdAdd, cmdDel);
    setTabOrder(cmdDel, cmdExit);
    resize(440, 320);
}

bool frmProfiles::Form_Load()
{
    shared::StartWindow& mainWindow = m_context.startWindow;
    mainWindow.clearProfiles(); // emptied even when the list cannot be read
    const auto list = m_context.obtainProfileList();
    if (!list)
        return false;
    const QStringList names = store::namesOf(*list);
    lstProfiles->addItems(names);
    mainWindow.fillProfiles(names);
    lblinfo->setText(u"Listar " + QString::number(lstProfiles->count()) + u" profiler.");
    return true;
}

void frmProfiles::lstProfiles_Click()
{
    const QListWidgetItem* item = lstProfiles->currentItem();
    const bool standard = item && item->isSelected() && item->text() == store::kStandardProfileName;
    cmdDel->setEnabled(!standard);
}

void frmProfiles::cmdAdd_Click() { m_context.windows.showAdd(); }

void frmProfiles::cmdDel_Click()
{
    platform::Platform& platform = m_context.platform;
    if (m_context.windows.addIsShown()) {
        platform.message(u"Kan ej ta bort profil samtidigt som en ny profil läggs till."_s, kError,
                         Icon::Exclamation);
        return;
    }
    const QList<QListWidgetItem*> selected = lstProfiles->selectedItems();
    if (selected.isEmpty()) {
        platform.message(u"Du måste välja en profil innan Du kan ta bort den!\n\n"
                         u"Obs! Du kan aldrig ta bort standardprofilen."_s,
                         kError, Icon::Exclamation);
        return;
    }
    const QString name = selected.first()->text();
    if (isInSession(name)) {
        platform.message(u"Profilen " + name +
                             u" används i den pågående Lexaro-sessionen och kan inte tas bort "
                             u"förrän sessionen har avslutats och sparats.",
                         kError, Icon::Exclamation);
        return;
    }
    if (platform.message(u"Är Du säker på att Du vill ta bort profilen " + name + u'?',
                         u"Bekräfta borttagning"_s, Icon::Question,
                         Buttons::YesNoDefaultNo) != Answer::Yes)
        return;

    const auto removal = store::ProfileList(m_context.folder).remove(name);
    if (!removal) {
        platform.message(u"Profilen " + name + u" kunde inte tas bort. Ingenting har ändrats.\n\n" +
                             store::errorText(removal.error()),
                         kError, Icon::Exclamation);
        return;
    }
    // The live files were the removed profile's: they are nobody's now, and
    // a host run on them later saves nothing into a profile.
    if (const auto& owner = m_context.session.record;
        owner && owner->phase == store::SessionPhase::Idle &&
        (owner->profile.name == name || owner->profile.id == removal->id)) {
        m_context.session.record.reset();
        (void)store::SessionFile(m_context.folder).remove();
    }
    // Reloading destroys this window once the handler returns.
    if (!m_context.windows.reloadProfiles())
        return; // the list could not be read again: the program has ended
    tellAboutFolder(platform, *removal);
    platform.message(u"Borttagningen slutförd!"_s, u"Borttagning klar"_s, Icon::Exclamation);
}

bool frmProfiles::isInSession(const QString& name) const
{
    // The session under way, or a save left pending on the disk.
    std::optional<store::SessionRecord> session = m_context.session.record;
    const store::SessionFile file(m_context.folder);
    if (!session && file.exists()) {
        const auto recorded = file.read();
        if (!recorded)
            return false;
        session = *recorded;
    }
    // A profile whose files are merely still in place, with no session
    // under way, may go.
    if (!session || session->phase == store::SessionPhase::Idle)
        return false;
    const auto list = store::ProfileList(m_context.folder).read();
    const std::optional<QString> id = list ? store::lastIdOf(*list, name) : std::nullopt;
    return name == session->profile.name || id == session->profile.id;
}

void frmProfiles::cmdExit_Click()
{
    m_context.startWindow.chooseProfile(m_context.state.sDefaultProfile);
    m_context.startWindow.bringForward();
    m_context.windows.unloadProfiles();
}

} // namespace tuvano::admin
