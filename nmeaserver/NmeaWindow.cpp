#include "nmeaserver/NmeaWindow.h"

#include "nmeaserver/NmeaServer.h"
#include "nmeaserver/PositionWindow.h"
#include "nmeaserver/ReaderStatus.h"
#include "nmeaserver/SetTime.h"
#include "nmeaserver/SettingsDialogs.h"
#include "nmeaserver/UdpOutputDialog.h"
#include "platform/Folders.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFileInfo>
#include <QFontDialog>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTableWidget>
#include <QUrl>

#include <algorithm>
#include <initializer_list>

namespace velmar::nmeaserver {

namespace {
constexpr int StatusPanelWidth = 500;
constexpr int ConnectionsPanelWidth = 50;
enum Column { NameColumn, TimeColumn, DataColumn };
const QString HelpFile = QStringLiteral("NMEA Server Help.html");

QTableWidget* makeList(const QString& name)
{
    auto* list = new QTableWidget(0, 3);
    list->setObjectName(name);
    list->setHorizontalHeaderLabels({QStringLiteral("Name"), QStringLiteral("Time"), QStringLiteral("Data")});
    list->verticalHeader()->hide();
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setWordWrap(false);
    list->horizontalHeader()->setStretchLastSection(true);
    return list;
}

QString timeText(const platform::SystemTime& t)
{
    return QString::asprintf("%2.2d:%2.2d:%2.2d", t.wHour, t.wMinute, t.wSecond);
}

void setRow(QTableWidget* list, int row, QByteArrayView name, const platform::SystemTime& received, QByteArrayView text)
{
    const QString texts[] = {QString::fromLatin1(name), timeText(received), QString::fromLatin1(text)};
    for (int c = NameColumn; c <= DataColumn; ++c) {
        QTableWidgetItem* item = list->item(row, c);
        if (!item) {
            item = new QTableWidgetItem;
            list->setItem(row, c, item);
        }
        if (item->text() != texts[c])
            item->setText(texts[c]);
    }
}

// Colours are kept as the Windows COLORREF integers of the settings file
// (0x00BBGGRR).
QColor fromColourRef(int c)
{
    return QColor(c & 0xff, (c >> 8) & 0xff, (c >> 16) & 0xff);
}
} // namespace

TTNMEAWindow::TTNMEAWindow(NmeaServer& server, QWidget* parent) : QMainWindow(parent), m_server(server)
{
    setObjectName(QStringLiteral("TNMEAWindow"));
    setWindowTitle(QStringLiteral("NMEA Server"));
    resize(DesignWidth, DesignHeight);

    m_status = new QLabel;
    m_status->setObjectName(QStringLiteral("Status"));
    m_status->setFixedWidth(StatusPanelWidth);
    m_connections = new QLabel;
    m_connections->setObjectName(QStringLiteral("Connections"));
    m_connections->setMinimumWidth(ConnectionsPanelWidth);
    statusBar()->addWidget(m_status);
    statusBar()->addWidget(m_connections, 1);

    m_listAll = makeList(QStringLiteral("ListAll"));
    m_listOne = makeList(QStringLiteral("ListOne"));
    m_listOne->setSortingEnabled(true);
    m_listOne->sortByColumn(NameColumn, Qt::AscendingOrder);
    m_position = new TPositionWindow(server.store());

    auto* stack = new QStackedWidget;
    stack->addWidget(m_listAll);
    stack->addWidget(m_listOne);
    stack->addWidget(m_position);
    setCentralWidget(stack);

    buildMenus();

    connect(&server, &NmeaServer::statusTextChanged, m_status, &QLabel::setText);
    connect(&server, &NmeaServer::connectionsTextChanged, m_connections, &QLabel::setText);
    connect(&server, &NmeaServer::sentencesStored, this, &TTNMEAWindow::sentencesStored);
    connect(&server, &NmeaServer::rmcStored, this, &TTNMEAWindow::newRmc);
    m_refreshTimer.setSingleShot(true);
    connect(&m_refreshTimer, &QTimer::timeout, this, &TTNMEAWindow::refresh);
    connect(&server, &NmeaServer::sentencesCleared, this, [this] { m_position->ShowRmc(); });
    m_position->ShowRmc();

    m_minimiseTimer.setSingleShot(true);
    m_minimiseTimer.setInterval(MinimiseDelayMs);
    connect(&m_minimiseTimer, &QTimer::timeout, this, &QWidget::showMinimized);
    setSetTimeForm(new TSetTime(this));
}

void TTNMEAWindow::setSetTimeForm(TSetTime* form)
{
    delete m_setTime;
    m_setTime = form;
    connect(m_setTime, &TSetTime::clockSetDone, &m_minimiseTimer, qOverload<>(&QTimer::start));
}

void TTNMEAWindow::buildMenus()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(QStringLiteral("Exit"), QKeySequence(QStringLiteral("Ctrl+E")), this, &QWidget::close);

    QMenu* settings = menuBar()->addMenu(QStringLiteral("&Settings"));
    settings->addAction(QStringLiteral("Com Port ..."), this, &TTNMEAWindow::portSettings);
    settings->addAction(QStringLiteral("UDP Output"), this, &TTNMEAWindow::udpOutput);
    settings->addAction(QStringLiteral("Simulation Settings ..."), this, &TTNMEAWindow::simulationSettings);
    settings->addAction(QStringLiteral("Set System Time ..."), this, &TTNMEAWindow::setSystemTime);
    settings->addAction(QStringLiteral("Data Dump ..."), this, &TTNMEAWindow::dumpSettings);

    QMenu* display = menuBar()->addMenu(QStringLiteral("&Display"));
    m_displayGroup = new QActionGroup(this);
    const std::pair<QString, int> types[] = {
        {QStringLiteral("Scroll All Strings"), ScrollAll},
        {QStringLiteral("Display One of Each String"), OneOfEach},
        {QStringLiteral("Show Position"), ShowPosition},
    };
    for (const auto& [caption, type] : types) {
        QAction* a = display->addAction(caption, this, [this, type = type] { setDisplayType(type); });
        a->setCheckable(true);
        a->setData(type);
        m_displayGroup->addAction(a);
    }
    display->addAction(QStringLiteral("Font ..."), this, &TTNMEAWindow::chooseFont);

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    // Offered only where the help page ships beside the program.
    const QString helpPath = platform::dataFile(HelpFile);
    if (QFileInfo::exists(helpPath)) {
        help->addAction(QStringLiteral("Contents"), this, [this, helpPath] {
            if (!QDesktopServices::openUrl(QUrl::fromLocalFile(helpPath)))
                QMessageBox::information(this, QStringLiteral("NMEA Server"),
                                         QStringLiteral("No program to show web pages could be started; the help "
                                                        "is in %1")
                                             .arg(helpPath));
        });
    }
    help->addAction(QStringLiteral("About"), this, [this] {
        QMessageBox::about(this, QStringLiteral("About NMEA Server"),
                           QStringLiteral("NMEA Server\nVersion %1").arg(QApplication::applicationVersion()));
    });
}

void TTNMEAWindow::applyDisplaySettings()
{
    const DisplaySettings& d = m_server.settings().Display;
    const QRect saved(d.Left, d.Top, d.Width, d.Height);
    const QScreen* screen = d.hasBounds() ? QGuiApplication::screenAt(saved.center()) : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect available = screen ? screen->availableGeometry() : QRect();
    if (d.hasBounds()) {
        const QRect bounds = BoundsOnScreen(saved, available);
        resize(bounds.size());
        move(bounds.topLeft());
    } else if (available.isValid()) {
        resize(QSize(DesignWidth, DesignHeight).boundedTo(available.size()));
    }
    QFont font = m_listAll->font();
    if (!d.FontName.isEmpty())
        font.setFamily(d.FontName);
    if (d.FontSize > 0)
        font.setPointSize(d.FontSize);
    font.setBold(d.FontBold);
    font.setItalic(d.FontItalic);
    font.setUnderline(d.FontUnderline);
    applyFont(font, d.FontColour);
    ShowDisplayMode();
}

QRect TTNMEAWindow::BoundsOnScreen(const QRect& saved, const QRect& available)
{
    if (!available.isValid())
        return saved;
    const QSize size = saved.size().boundedTo(available.size());
    const int left = std::clamp(saved.left(), available.left(), available.right() + 1 - size.width());
    const int top = std::clamp(saved.top(), available.top(), available.bottom() + 1 - size.height());
    return QRect(QPoint(left, top), size);
}

void TTNMEAWindow::applyFont(const QFont& font, int colour)
{
    m_listAll->setFont(font);
    m_listOne->setFont(font);
    m_position->SetDisplayFont(font);
    for (QWidget* w : std::initializer_list<QWidget*>{m_listAll, m_listOne, m_position}) {
        QPalette p = w->palette();
        p.setColor(QPalette::Text, fromColourRef(colour));
        p.setColor(QPalette::WindowText, fromColourRef(colour));
        w->setPalette(p);
    }
}

void TTNMEAWindow::chooseFont()
{
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, m_listAll->font(), this);
    if (!ok)
        return;
    DisplaySettings& d = m_server.settings().Display;
    d.FontName = font.family();
    d.FontSize = font.pointSize();
    d.FontBold = font.bold();
    d.FontItalic = font.italic();
    d.FontUnderline = font.underline();
    applyFont(font, d.FontColour);
    m_listAll->resizeColumnsToContents();
    m_listOne->resizeColumnsToContents();
}

void TTNMEAWindow::setDisplayType(int type)
{
    m_server.settings().Display.Type = type;
    ShowDisplayMode();
}

void TTNMEAWindow::ShowDisplayMode()
{
    const int type = m_server.settings().Display.Type;
    for (QAction* a : m_displayGroup->actions())
        a->setChecked(a->data().toInt() == type);
    auto* stack = static_cast<QStackedWidget*>(centralWidget());
    if (type == ScrollAll)
        stack->setCurrentWidget(m_listAll);
    else if (type == OneOfEach)
        stack->setCurrentWidget(m_listOne);
    else
        stack->setCurrentWidget(m_position);
}

void TTNMEAWindow::sentencesStored()
{
    // However fast the sentences come, the lists are redrawn at most a few
    // times a second, and not at all while nobody can see them (minimised
    // after the clock was set, the usual state at sea): the store and the
    // recent list keep up on their own.
    if (m_refreshTimer.isActive() || !isVisible() || isMinimized())
        return;
    const qint64 since = m_sinceRefresh.isValid() ? m_sinceRefresh.elapsed() : RefreshIntervalMs;
    m_refreshTimer.start(int(std::max<qint64>(0, RefreshIntervalMs - since)));
}

void TTNMEAWindow::refresh()
{
    m_sinceRefresh.start();
    showNewestRmc();
    switch (m_server.settings().Display.Type) {
    case ScrollAll: scrollAll(); break;
    case OneOfEach: oneOfEach(); break;
    default: break; // the position display shows the newest RMC
    }
    m_shownTotal = m_server.recent().total();
}

void TTNMEAWindow::newRmc(const DataThing& entry)
{
    // The moment the reader read it: the hand-over and the batch took some
    // of the time since.
    const auto arrived = entry.Arrived != std::chrono::steady_clock::time_point{} ? entry.Arrived
                                                                                  : std::chrono::steady_clock::now();
    m_newestRmcName = entry.Name;
    // The first RMC after start sets the PC clock by itself. The simulator's
    // ship takes its time from the PC clock, cut to whole seconds: setting
    // the clock from it would only put it back.
    if (!m_rmcSeen && entry.Source != SimulatorName) {
        m_rmcSeen = true;
        m_setTime->SetTargetWindow(true);
        m_setTime->show();
        m_setTime->ArmClockSet(true);
    }
    if (m_setTime->isVisible())
        m_setTime->NewRmc(entry.Text, arrived);
}

void TTNMEAWindow::showNewestRmc()
{
    if (m_newestRmcName.isEmpty())
        return;
    if (const DataThing* entry = m_server.store().FindSentence(m_newestRmcName))
        m_position->ShowRmc(entry);
    m_newestRmcName.clear();
}

void TTNMEAWindow::setSystemTime()
{
    m_setTime->show();
    m_setTime->raise();
}

void TTNMEAWindow::portSettings()
{
    NmeaSettings& s = m_server.settings();
    const SIMSETTINGS before = s.Sim;
    TPortSettings dialog(this, s.Ports, s.Sim);
    const bool ok = dialog.exec() == QDialog::Accepted;
    // The simulation dialog reached from here changes the ship even when the
    // port dialog is cancelled; the simulator takes it on its restart.
    if (!(s.Sim == before))
        m_server.applySimulationSettings(boundsAreNormal());
    else if (ok)
        m_server.applyPortSettings(boundsAreNormal());
}

void TTNMEAWindow::simulationSettings()
{
    TSimSettings dialog(this, m_server.settings().Sim);
    if (dialog.exec() == QDialog::Accepted)
        m_server.applySimulationSettings(boundsAreNormal());
}

void TTNMEAWindow::dumpSettings()
{
    if (!m_dumpDialog)
        m_dumpDialog = new TDumpDialog(this, m_server.settings().Dump);
    if (m_dumpDialog->exec() == QDialog::Accepted)
        m_server.applyDumpSettings();
}

void TTNMEAWindow::scrollAll()
{
    const int rowHeight = std::max(1, m_listAll->verticalHeader()->defaultSectionSize());
    const int visible = m_listAll->viewport()->height() / rowHeight;
    const RecentSentences& recent = m_server.recent();
    const int capacity = std::min(visible, RecentSentences::Capacity);
    const int fresh = int(std::min<quint64>(recent.total() - m_shownTotal, quint64(capacity)));
    if (m_listAll->rowCount() > capacity)
        m_listAll->setRowCount(std::max(0, capacity));
    if (capacity <= 0 || fresh <= 0)
        return;
    // Newest at the bottom; when the list is full the oldest rows go. Every
    // row takes the texts of the row below it: the rows stay, only their
    // texts change.
    const int rows = std::min(capacity, m_listAll->rowCount() + fresh);
    m_listAll->setRowCount(rows);
    for (int row = 0; row < rows; ++row) {
        const RecentSentences::Sentence& s = recent.newest(rows - 1 - row);
        setRow(m_listAll, row, s.name(), s.received, s.view());
    }
}

void TTNMEAWindow::oneOfEach()
{
    const RecentSentences& recent = m_server.recent();
    if (recent.total() == m_shownTotal)
        return;
    // Only a new name sorts the list again: sorting, like a change of the
    // current row, repaints all of it even when no text changed.
    bool inserted = false;
    QTableWidgetItem* newestItem = nullptr;
    const QByteArrayView newestName = recent.newest(0).name();
    for (const DataThing& entry : m_server.store().entries()) {
        const QString name = QString::fromLatin1(entry.Name);
        int row = -1;
        for (int r = 0; r < m_listOne->rowCount(); ++r) {
            if (m_listOne->item(r, NameColumn) && m_listOne->item(r, NameColumn)->text() == name) {
                row = r;
                break;
            }
        }
        if (row < 0) {
            if (!inserted)
                m_listOne->setSortingEnabled(false);
            inserted = true;
            row = m_listOne->rowCount();
            m_listOne->insertRow(row);
        }
        setRow(m_listOne, row, entry.Name, entry.Received, entry.Text);
        if (QByteArrayView(entry.Name) == newestName)
            newestItem = m_listOne->item(row, NameColumn);
        if (entry.Text.size() > m_longestText) {
            m_longestText = int(entry.Text.size());
            m_listOne->resizeColumnsToContents();
        }
    }
    if (inserted)
        m_listOne->setSortingEnabled(true);
    if (newestItem && m_listOne->currentItem() != newestItem)
        m_listOne->setCurrentItem(newestItem);
}

void TTNMEAWindow::udpOutput()
{
    TUDPOut dialog(this, m_server.settings().Udp);
    if (dialog.exec() == QDialog::Accepted)
        m_server.applyUdpSettings();
}

void TTNMEAWindow::bringToFront()
{
    showNormal();
    raise();
    activateWindow();
}

bool TTNMEAWindow::boundsAreNormal() const
{
    return !(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
}

void TTNMEAWindow::saveSettings()
{
    const bool normal = boundsAreNormal();
    if (normal) {
        // Saved as they are restored: the position of the frame, the size
        // inside it. A frame size saved and restored as the inside would
        // grow the window by its frame at every start.
        DisplaySettings& d = m_server.settings().Display;
        d.Top = pos().y();
        d.Left = pos().x();
        d.Height = height();
        d.Width = width();
    }
    m_server.saveSettings(normal);
}

void TTNMEAWindow::endSession()
{
    saveSettings();
    m_server.shutDown();
    m_ended = true;
    // exit(), not quit(): quitting closes the windows, which would ask again.
    QCoreApplication::exit(0);
}

void TTNMEAWindow::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    // Restored: what came while minimised is shown.
    if (event->type() == QEvent::WindowStateChange && !isMinimized())
        sentencesStored();
}

void TTNMEAWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    sentencesStored();
}

void TTNMEAWindow::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    // Refilled with as many rows as now fit.
    m_listAll->setRowCount(0);
}

void TTNMEAWindow::closeEvent(QCloseEvent* event)
{
    if (m_ended) {
        event->accept();
        return;
    }
    saveSettings();
    if (m_server.connectionCount() > 0) {
        QApplication::beep();
        const auto answer = QMessageBox::question(this, QStringLiteral("NMEA server warning"),
                                                  QStringLiteral("The server is currently in use. Close anyway ?"),
                                                  QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        if (answer != QMessageBox::Yes) {
            event->ignore();
            return;
        }
    }
    m_server.shutDown();
    event->accept();
}

} // namespace velmar::nmeaserver
