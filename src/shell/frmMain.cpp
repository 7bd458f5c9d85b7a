#include "frmMain.h"

#include "Forms.h"
#include "session/Activation.h"
#include "session/SessionSave.h"
#include "session/SessionStage.h"
#include "session/SessionWatch.h"
#include "shared/StatusTexts.h"
#include "startup/FolderCheck.h"
#include "startup/StartUp.h"
#include "widgets/ChoiceList.h"
#include "widgets/ClickFrame.h"
#include "widgets/ClickLabel.h"
#include "widgets/CommandLink.h"
#include "widgets/Decoration.h"
#include "widgets/DialogFrame.h"
#include "widgets/StatusLine.h"
#include "widgets/WrapLabel.h"

#include <QCloseEvent>
#include <QDir>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace tuvano::shell {

namespace texts = shared::texts;
using shared::kTrue;

namespace {

// After start-up, when the window is on the screen: see Form_Load.
constexpr int kFolderWatchDelayMs = 250;

const QString kBannerPicture = u":/pictures/profiles.pixels"_s;
const QString kCommandPicture = u":/pictures/swap.pixels"_s;

QTimer* timer(const QString& name, int interval, QObject* parent)
{
    auto* t = new QTimer(parent);
    t->setObjectName(name);
    t->setInterval(interval);
    return t;
}

} // namespace

frmMain::frmMain(Forms& forms) : m_forms(forms), m_state(forms.state())
{
    setObjectName(u"frmMain"_s);
    setWindowTitle(texts::kProgramTitle.toString());

    // The timers, in the order the window creates its controls.
    tmrRun = timer(u"tmrRun"_s, 3000, this);
    listWatch = timer(u"Timer1"_s, 250, this);
    // The watch of the list's text looks within 250 ms of a change the list
    // reports, instead of waking the program four times a second for good.
    listWatch->setSingleShot(true);
    tmrDefault = timer(u"tmrDefault"_s, 1000, this);
    connect(tmrRun, &QTimer::timeout, this, &frmMain::tmrRun_Timer);
    connect(listWatch, &QTimer::timeout, this, &frmMain::onListWatchTimer);
    connect(tmrDefault, &QTimer::timeout, this, &frmMain::tmrDefault_Timer);

    buildWindow();
    setUpKeyboard();
    connect(cmbProfiler, &widgets::ChoiceList::textMayHaveChanged, this, [this] {
        if (m_listWatched && !listWatch->isActive())
            listWatch->start();
    });
    tmrRun->start();
}

void frmMain::readPicturesAhead() { widgets::readPicturesAhead({kBannerPicture, kCommandPicture}); }

void frmMain::buildWindow()
{
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);
    root->addWidget(buildBanner());
    root->addWidget(widgets::accentStrip(u"Shape3"_s, this));

    auto* body = new QHBoxLayout;
    body->setSpacing(0);
    body->addWidget(buildCommandPanel());
    auto* divider = new widgets::Line(Qt::Vertical, QColor(0xc9, 0xd6, 0xe3), this);
    divider->setObjectName(u"Line1"_s);
    body->addWidget(divider);
    body->addWidget(buildStartPanel(), 1);
    root->addLayout(body, 1);

    auto* rule = new widgets::Line(Qt::Horizontal, QColor(0xc9, 0xd6, 0xe3), this);
    rule->setObjectName(u"Line2"_s);
    root->addWidget(rule);
    root->addWidget(buildFooter());
    root->setSizeConstraint(QLayout::SetFixedSize);
}

QWidget* frmMain::buildBanner()
{
    auto* banner = new widgets::Shape(this);
    banner->setObjectName(u"Shape1"_s);
    banner->setFill(widgets::bannerFill());
    auto* layout = new QHBoxLayout(banner);
    layout->setContentsMargins(24, 14, 20, 14);
    layout->addLayout(widgets::bannerTitles(banner, 13, 26, 3));
    layout->addStretch(1);
    auto* picture = new widgets::Picture(kBannerPicture, banner);
    picture->setObjectName(u"Image2"_s);
    layout->addWidget(picture);
    return banner;
}

QWidget* frmMain::buildCommandPanel()
{
    auto* panel = new widgets::Shape(this);
    panel->setObjectName(u"Shape2"_s);
    panel->setFill(QColor(0xee, 0xf3, 0xf8));
    panel->setFixedWidth(184);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(20, 20, 16, 16);
    layout->setSpacing(6);
    auto* picture = new widgets::Picture(kCommandPicture, panel);
    picture->setObjectName(u"Image1"_s);
    layout->addWidget(picture);
    layout->addSpacing(12);

    const auto command = [&](widgets::CommandLink*& link, const QString& name, const QString& text,
                             void (frmMain::*handler)()) {
        link = new widgets::CommandLink(text, panel);
        link->setObjectName(name);
        connect(link, &QPushButton::clicked, this, handler);
        layout->addWidget(link);
    };
    command(lblAdministreraProfiler, u"lblAdministreraProfiler"_s, u"Administrera profiler"_s,
            &frmMain::lblAdministreraProfiler_Click);
    command(lblInställningar, u"lblInställningar"_s, u"Inställningar"_s,
            &frmMain::lblInställningar_Click);
    command(aboutLink, u"Label3"_s, u"Om..."_s, &frmMain::onAboutClicked);
    layout->addStretch(1);
    command(exitLink, u"Label4"_s, u"Avsluta"_s, &frmMain::onExitClicked);
    return panel;
}

QWidget* frmMain::buildStartPanel()
{
    auto* panel = new QWidget(this);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(22, 18, 22, 18);
    layout->setSpacing(8);

    tagline = new widgets::ClickLabel(u"Gör Ditt Lexaro än mer personligt med egna "
                                      u"inställningsmöjligheter för varje användare."_s,
                                      panel);
    tagline->setObjectName(u"Label5"_s);
    tagline->setWordWrap(true);
    widgets::setLook(tagline, 0, QFont::Normal, QColor(0x30, 0x47, 0x5e), true);
    connect(tagline, &widgets::ClickLabel::clicked, this, &frmMain::onTaglineClicked);
    layout->addWidget(tagline);
    layout->addSpacing(10);

    QLabel* prompt = widgets::namedLabel(u"Label6"_s, u"Välj profil att starta i listan!"_s, panel);
    widgets::setLook(prompt, 0, QFont::Bold, QColor());
    layout->addWidget(prompt);
    auto* row = new QHBoxLayout;
    cmbProfiler = new widgets::ChoiceList(panel);
    cmbProfiler->setObjectName(u"cmbProfiler"_s);
    cmbProfiler->setAccessibleName(prompt->text());
    prompt->setBuddy(cmbProfiler);
    connect(cmbProfiler, &widgets::ChoiceList::choiceMade, this, &frmMain::cmbProfiler_Click);
    row->addWidget(cmbProfiler, 1);
    cmdGo = new QPushButton(u"&Starta!"_s, panel);
    cmdGo->setObjectName(u"cmdGo"_s);
    cmdGo->setDefault(true);
    connect(cmdGo, &QPushButton::clicked, this, &frmMain::cmdGo_Click);
    row->addWidget(cmdGo);
    layout->addLayout(row);

    // What a session waits for, under the button it holds, with the way out
    // of the wait; shown only while the program waits for the host.
    waitPanel = new QWidget(panel);
    waitPanel->setObjectName(u"waitPanel"_s);
    auto* wait = new QVBoxLayout(waitPanel);
    wait->setContentsMargins(0, 2, 0, 0);
    wait->setSpacing(2);
    auto* waitText = new widgets::WrapLabel({}, waitPanel);
    waitText->setMaximumLineCount(6);
    lblWait = waitText;
    lblWait->setObjectName(u"lblWait"_s);
    widgets::setLook(lblWait, 0, QFont::Normal, QColor(0x30, 0x47, 0x5e));
    wait->addWidget(lblWait);
    cmdWait = new widgets::CommandLink(u"Avbryt väntan"_s, waitPanel);
    cmdWait->setObjectName(u"cmdWait"_s);
    connect(cmdWait, &QPushButton::clicked, this, &frmMain::cmdWait_Click);
    wait->addWidget(cmdWait, 0, Qt::AlignLeft);
    waitPanel->hide();
    layout->addWidget(waitPanel);
    layout->addSpacing(10);

    infoFrame = new widgets::ClickFrame(u"Information"_s, panel);
    infoFrame->setObjectName(u"Frame1"_s);
    connect(infoFrame, &widgets::ClickFrame::clicked, this, &frmMain::onInfoFrameClicked);
    auto* info = new QVBoxLayout(infoFrame);
    info->setSpacing(6);
    lblSnabbstart = new widgets::ClickLabel({}, infoFrame);
    lblSnabbstart->setObjectName(u"lblSnabbstart"_s);
    widgets::ClickFrame::paintOnInside(lblSnabbstart);
    connect(lblSnabbstart, &widgets::ClickLabel::clicked, this, &frmMain::lblSnabbstart_Click);
    info->addWidget(lblSnabbstart);
    lblAutoval = new widgets::StatusLine({}, infoFrame);
    lblAutoval->setObjectName(u"lblAutoval"_s);
    lblAutoval->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Even the longest name leaves the window on the screen.
    lblAutoval->setMaximumLineCount(10);
    widgets::ClickFrame::paintOnInside(lblAutoval);
    connect(lblAutoval, &widgets::ClickLabel::clicked, this, &frmMain::lblAutoval_Click);
    info->addWidget(lblAutoval);
    layout->addWidget(infoFrame);
    layout->addStretch(1);
    panel->setFixedWidth(400);
    return panel;
}

QWidget* frmMain::buildFooter()
{
    auto* footer = new QWidget(this);
    auto* layout = new QHBoxLayout(footer);
    layout->setContentsMargins(20, 6, 20, 8);
    QLabel* notice = widgets::namedLabel(u"Label7"_s, texts::kLegalNotice.toString(), footer);
    widgets::setLook(notice, 8, QFont::Normal, QColor(0x6b, 0x77, 0x85));
    layout->addWidget(notice, 1);
    layout->addWidget(widgets::namedLabel(u"Label9"_s, {}, footer));
    return footer;
}

void frmMain::setUpKeyboard()
{
    // The list first: Space or an arrow key must not run a command.
    const QList<QWidget*> order{cmbProfiler,      cmdGo,     cmdWait, lblAdministreraProfiler,
                                lblInställningar, aboutLink, exitLink};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
    cmbProfiler->setFocus();
    installEventFilter(this);
    for (QWidget* control : order)
        control->installEventFilter(this);
}

bool frmMain::Form_Load(startup::StartFiles readAhead)
{
    shared::Context& ctx = context();
    // Before the first run too, which would copy files the host no longer
    // reads.
    if (!startup::settleRedirectedCopies(ctx.platform, ctx.folder))
        return false;
    const auto settings =
        startup::obtainSettings(ctx.platform, ctx.folder, std::move(readAhead.settings));
    if (!settings)
        return false;
    m_state.load(*settings);
    const auto profiles = ctx.obtainProfileList(std::move(readAhead.list));
    if (!profiles)
        return false;
    cmbProfiler->setEntries(store::namesOf(*profiles));
    chooseProfile(m_state.sDefaultProfile);
    lblSnabbstart->setText(texts::quickStart(m_state.fQuickStart == kTrue));
    // A session cut short is settled before anything can start a profile.
    session::recoverSession(ctx, *profiles);
    // Room for every text of the countdown line that names the default, so
    // the window does not change size as the countdown goes on or stops.
    const QString& name = m_state.sDefaultProfile;
    lblAutoval->expect({texts::countdownCounting(name, m_state.nAutoSelectDelay),
                        texts::countdownStopped(name), texts::countdownDone(name)});
    startCountdown();
    m_state.sLastChoice = cmbProfiler->currentText();
    listWatch->stop(); // the text is the one start-up chose: nothing to look at
    tellAboutStaleMarkers();
    // From here on the host is watched; one already running is taken over
    // as soon as the window is up.
    auto* hostWatch = new session::HostWatch(ctx, this);
    m_loaded = true;
    QTimer::singleShot(0, hostWatch, &session::HostWatch::probe);
    // The watch of the markers' folders only has the host's start and end
    // noticed sooner than at the timers' next tick, and nobody starts a host
    // in the window's first moments: it waits until the window is on the
    // screen. One more look then catches a change in between, and a host
    // process that runs without its marker.
    QTimer::singleShot(kFolderWatchDelayMs, hostWatch, [hostWatch] {
        hostWatch->watchFolders();
        hostWatch->probeOnceStarted();
    });
    return true;
}

void frmMain::tellAboutStaleMarkers()
{
    for (const QString& marker : context().platform.staleMarkers())
        context().platform.message(
            u"Lexaros markeringsfil finns kvar från före datorns senaste start:\n" +
                QDir::toNativeSeparators(marker) +
                u"\n\nDen Lexaro som skapade filen körs troligen inte längre, så Lexaro "
                u"Tuvano! tar inte över någon session. Så länge filen finns kvar frågar "
                u"programmet ändå innan en profil startas. Du kan ta bort filen.",
            texts::kProgramTitle.toString(), platform::Icon::Information);
}

void frmMain::startCountdown()
{
    if (m_state.nAutoSelectDelay != 0) {
        lblAutoval->setText(
            texts::countdownCounting(m_state.sDefaultProfile, m_state.nAutoSelectDelay));
        Counter = m_state.nAutoSelectDelay;
        tmrDefault->start();
    } else {
        lblAutoval->setText(texts::countdownOff());
    }
}

void frmMain::stopCountdown()
{
    if (m_state.nAutoSelectDelay == 0) {
        lblAutoval->setText(texts::countdownOff());
        return;
    }
    lblAutoval->setText(texts::countdownStopped(m_state.sDefaultProfile));
    tmrDefault->stop();
}

void frmMain::Form_Click() { stopCountdown(); }
void frmMain::onInfoFrameClicked() { stopCountdown(); }
void frmMain::lblAutoval_Click() { stopCountdown(); }
void frmMain::lblSnabbstart_Click() { stopCountdown(); }
void frmMain::onTaglineClicked() { stopCountdown(); }

void frmMain::onAboutClicked()
{
    stopCountdown();
    m_forms.showAbout();
}

void frmMain::onExitClicked()
{
    stopCountdown();
    context().platform.endProgram();
}

void frmMain::lblAdministreraProfiler_Click()
{
    stopCountdown();
    m_forms.showProfiles();
}

void frmMain::lblInställningar_Click()
{
    stopCountdown();
    m_forms.showSettingsAfresh();
}

void frmMain::onListWatchTimer()
{
    if (cmbProfiler->currentText() == m_state.sLastChoice)
        return;
    stopCountdown();
    // Without a countdown the list is looked at again at its next change.
    if (m_state.nAutoSelectDelay == 0)
        return;
    listWatch->stop();
    m_listWatched = false;
}

void frmMain::cmdGo_Click()
{
    if (cmbProfiler->currentText().isEmpty()) {
        context().platform.message(texts::kIllegalChoice.toString(), texts::kErrorTitle.toString(),
                                   platform::Icon::Critical);
        return;
    }
    stopCountdown();
    session::StartProfile(context(), cmbProfiler->currentText(), session::OnFailure::PassOver);
}

void frmMain::cmbProfiler_Click()
{
    if (m_forms.listIsBusy() || !cmdGo->isEnabled())
        return;
    if (isVisible() && m_state.fQuickStart == kTrue) {
        const auto outcome = session::StartProfile(context(), cmbProfiler->currentText(),
                                                   session::OnFailure::EndProgram);
        if (outcome == session::StartOutcome::Refused || outcome == session::StartOutcome::Ended)
            return;
    }
    stopCountdown();
}

void frmMain::tmrRun_Timer() { session::tmrRun_Timer(context()); }

void frmMain::cmdWait_Click()
{
    stopCountdown();
    session::askWhetherHostEnded(context());
}

void frmMain::showWait(const QString& text, bool wayOut)
{
    lblWait->setText(text);
    cmdWait->setVisible(wayOut);
    waitPanel->setVisible(!text.isEmpty());
}

void frmMain::tmrDefault_Timer()
{
    --Counter;
    lblAutoval->setText(texts::countdownCounting(m_state.sDefaultProfile, Counter));
    if (Counter != 0)
        return;
    tmrDefault->stop();
    session::countdownEnded(context());
}

shared::Context& frmMain::context() const { return m_forms.context(); }

void frmMain::enableStart(bool enabled) { cmdGo->setEnabled(enabled); }
bool frmMain::startEnabled() const { return cmdGo->isEnabled(); }
QString frmMain::chosenProfile() const { return cmbProfiler->currentText(); }
void frmMain::fillProfiles(const QStringList& names) { cmbProfiler->setEntries(names); }
void frmMain::clearProfiles() { cmbProfiler->clearEntries(); }
void frmMain::chooseProfile(const QString& name) { cmbProfiler->walkTo(name); }
void frmMain::setCountdownLine(const QString& text) { lblAutoval->setText(text); }
void frmMain::setQuickStartLine(const QString& text) { lblSnabbstart->setText(text); }
bool frmMain::countdownRuns() const { return tmrDefault->isActive(); }
void frmMain::watchForHost(bool on) { on ? tmrRun->start() : tmrRun->stop(); }
bool frmMain::watchesForHost() const { return tmrRun->isActive(); }

bool frmMain::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress)
        stopCountdown();
    return QWidget::eventFilter(watched, event);
}

void frmMain::keyPressEvent(QKeyEvent* event)
{
    // Enter presses the start button wherever the focus is, unless the
    // control with the focus took the key for itself.
    const bool enter = (event->key() == Qt::Key_Return && event->modifiers() == Qt::NoModifier) ||
                       (event->key() == Qt::Key_Enter && event->modifiers() == Qt::KeypadModifier);
    if (enter && cmdGo->isEnabled()) {
        event->accept();
        cmdGo->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void frmMain::mousePressEvent(QMouseEvent* event) { event->accept(); }

void frmMain::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Form_Click();
}

void frmMain::closeEvent(QCloseEvent* event)
{
    // Closing through the frame ends the program as "Avsluta" does.
    event->accept();
    context().platform.endProgram();
}

} // namespace tuvano::shell
