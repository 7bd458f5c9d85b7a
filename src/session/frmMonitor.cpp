#include "frmMonitor.h"

#include "SessionStage.h"
#include "shared/Context.h"
#include "store/ErrorText.h"
#include "store/SessionRecord.h"
#include "widgets/WrapLabel.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace tuvano::session {

namespace {
// The client area, 4680 by 690 twips, at 15 twips a pixel.
constexpr QSize kClientArea(312, 46);
} // namespace

frmMonitor::frmMonitor(shared::Context& context) : m_context(context)
{
    setObjectName(u"frmMonitor"_s);
    setWindowTitle(u"Profilövervakare"_s);
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowMinimizeButtonHint);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(224, 224, 224));
    setPalette(p);

    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(2);
    auto* name = new widgets::WrapLabel(u"Profilnamn:"_s, this);
    name->setMaximumLineCount(1); // a long name is cut short, whole in the tool tip
    lblProfilnamn = name;
    lblProfilnamn->setObjectName(u"lblProfilnamn"_s);
    layout->addWidget(lblProfilnamn);
    chkSparaEj = new QCheckBox(u"&Spara inte ändringar i profil efter denna session."_s, this);
    chkSparaEj->setObjectName(u"chkSparaEj"_s);
    layout->addWidget(chkSparaEj);
    auto* note = new widgets::WrapLabel({}, this);
    wayOutNote = note;
    wayOutNote->setObjectName(u"wayOutNote"_s);
    wayOutNote->hide();
    layout->addWidget(wayOutNote);
    wayOut = new QPushButton(u"&Avsluta väntan..."_s, this);
    wayOut->setObjectName(u"wayOut"_s);
    wayOut->hide();
    layout->addWidget(wayOut, 0, Qt::AlignRight);
    connect(wayOut, &QPushButton::clicked, this, &frmMonitor::askWhetherHostEnded);
    // The two lines of text centred between even margins, at least 4 pixels
    // each. The check box's text sits in the middle of a taller box; the room
    // under it counts as margin.
    const int boxRoom = (chkSparaEj->sizeHint().height() - chkSparaEj->fontMetrics().height()) / 2;
    const int text = lblProfilnamn->sizeHint().height() + layout->spacing() +
                     chkSparaEj->sizeHint().height() - boxRoom;
    const int height = std::max(kClientArea.height(), text + 2 * 4);
    const int above = (height - text) / 2;
    m_bottomMargin = std::max(0, height - text - above - boxRoom);
    layout->setContentsMargins(8, above, 8, m_bottomMargin);
    fitToContents();

    tmrCheck = new QTimer(this);
    tmrCheck->setObjectName(u"tmrCheck"_s);
    tmrCheck->setInterval(3000);
    connect(tmrCheck, &QTimer::timeout, this, &frmMonitor::tmrCheck_Timer);
    tmrCheck->start();
}

void frmMonitor::fitToContents()
{
    // The given client area, or what the texts need if the font is larger.
    setFixedSize(kClientArea.expandedTo(layout()->totalSizeHint()));
}

void frmMonitor::Form_Load()
{
    if (m_context.state.fShowMonitor == shared::kTrue) {
        placeInCorner();
        m_context.platform.stayOnTop(this, true);
    }
    // The profile whose files the host has; the list may show another by now.
    const auto& session = m_context.session.record;
    lblProfilnamn->setText(u"Profilnamn: " + (session ? session->profile.name
                                                      : m_context.startWindow.chosenProfile()));
    // A session from before a restart keeps the choice made then.
    chkSparaEj->setChecked(session && !session->keepChanges);
    connect(chkSparaEj, &QCheckBox::toggled, this, &frmMonitor::keepChangesChosen);
}

void frmMonitor::keepChangesChosen()
{
    auto& session = m_context.session.record;
    if (!session)
        return;
    session->keepChanges = chkSparaEj->checkState() != Qt::Checked;
    if (const store::Status noted = store::SessionFile(m_context.folder).write(*session); !noted)
        m_context.platform.message(
            u"Valet kunde inte antecknas:\n\n" + store::errorText(noted.error()) +
                u"\n\nDet gäller ändå för den här sessionen, men om Lexaro Tuvano! skulle "
                u"avbrytas innan sessionen är slut frågar programmet vid nästa start om "
                u"ändringarna ska sparas."_s,
            windowTitle(), platform::Icon::Exclamation);
}

void frmMonitor::showNote(Note note)
{
    if (note == m_note)
        return;
    m_note = note;
    wayOutNote->setText(
        note == Note::MarkerWithoutHost
            ? u"Lexaro Tuvano! ser inget Lexaro som körs, men Lexaros markeringsfil "
              u"finns kvar, så Lexaro Tuvano! kan inte se att sessionen är slut."_s
            : u"Lexaros markeringsfil är borta, men Lexaro körs fortfarande. "
              u"Sessionen sparas när Lexaro har avslutats."_s);
    wayOutNote->setVisible(note != Note::None);
    wayOut->setVisible(note == Note::MarkerWithoutHost);
    // The margin under the two lines was measured for a check box, not for
    // what stands under it now.
    const QMargins margins = layout()->contentsMargins();
    layout()->setContentsMargins(margins.left(), margins.top(), margins.right(),
                                 note == Note::None ? m_bottomMargin : margins.left());
    fitToContents();
    if (note == Note::None)
        return;
    placeInCorner(); // taller now: still clear of the screen's edge
    if (!isVisible()) {
        show();
        m_context.platform.stayOnTop(this, true);
    }
}

void frmMonitor::placeInCorner()
{
    // Out of the host's way: the bottom right corner of the screen.
    if (const QScreen* screen = m_context.startWindow.currentScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.right() - width() - 24, area.bottom() - height() - 48);
    }
}

void frmMonitor::tmrCheck_Timer() { lookAgain(m_context); }

void frmMonitor::askWhetherHostEnded() { session::askWhetherHostEnded(m_context); }

void frmMonitor::closeEvent(QCloseEvent* event)
{
    event->ignore();
    askWhetherHostEnded();
}

frmMonitor& loadMonitor(shared::Context& context)
{
    if (!context.session.monitor) {
        auto* window = new frmMonitor(context);
        context.session.monitor = window;
        window->Form_Load();
    }
    return *monitor(context);
}

frmMonitor* monitor(const shared::Context& context)
{
    return qobject_cast<frmMonitor*>(context.session.monitor.data());
}

// The window goes away now and is destroyed once the handler that asked for
// it has returned.
void unloadMonitor(shared::Context& context)
{
    if (QWidget* window = context.session.monitor) {
        window->hide();
        window->deleteLater();
        context.session.monitor.clear();
    }
}

} // namespace tuvano::session
