#include "frmMonitor.h"

#include "SessionWatch.h"
#include "shared/Context.h"
#include "widgets/WrapLabel.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
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
    // The two lines of text centred between even margins, at least 4 pixels
    // each. The check box's text sits in the middle of a taller box; the room
    // under it counts as margin.
    const int boxRoom = (chkSparaEj->sizeHint().height() - chkSparaEj->fontMetrics().height()) / 2;
    const int text = lblProfilnamn->sizeHint().height() + layout->spacing() +
                     chkSparaEj->sizeHint().height() - boxRoom;
    const int height = std::max(kClientArea.height(), text + 2 * 4);
    const int above = (height - text) / 2;
    layout->setContentsMargins(8, above, 8, std::max(0, height - text - above - boxRoom));
    // The given client area, or what the texts need if the font is larger.
    setFixedSize(kClientArea.expandedTo(layout->totalSizeHint()));

    tmrCheck = new QTimer(this);
    tmrCheck->setObjectName(u"tmrCheck"_s);
    tmrCheck->setInterval(3000);
    connect(tmrCheck, &QTimer::timeout, this, &frmMonitor::tmrCheck_Timer);
    tmrCheck->start();
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
}

void frmMonitor::placeInCorner()
{
    // Out of the host's way: the bottom right corner of the screen.
    if (const QScreen* screen = m_context.startWindow.currentScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.right() - width() - 24, area.bottom() - height() - 48);
    }
}

void frmMonitor::tmrCheck_Timer()
{
    if (m_context.platform.markerPresent())
        return;
    tmrCheck->stop();
    WriteBackProfile(m_context, *this);
}

void frmMonitor::askWhetherHostEnded()
{
    if (m_asking || !tmrCheck->isActive())
        return;
    // The wait stands still while the user answers, so that nothing else
    // ends it meanwhile.
    m_asking = true;
    tmrCheck->stop();
    const platform::Answer answer = m_context.platform.message(
        u"Har Lexaro avslutats?\n\nLexaro Tuvano! väntar på att Lexaro ska avslutas, men "
        u"Lexaros markeringsfil finns kvar. Det händer om Lexaro har stängts av med våld "
        u"eller har kraschat.\n\nSvarar Du Ja avslutas väntan som om Lexaro hade avslutats. "
        u"Svarar Du Nej fortsätter Lexaro Tuvano! att vänta."_s,
        windowTitle(), platform::Icon::Question, platform::Buttons::YesNo);
    m_asking = false;
    if (answer != platform::Answer::Yes) {
        tmrCheck->start();
        return;
    }
    WriteBackProfile(m_context, *this);
}

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
