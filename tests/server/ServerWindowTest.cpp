// The server window on port 4480, under a display, with test clients on
// 127.0.0.1 and 127.0.0.2.

#include "classlink/C3DFile.h"
#include "server/CClient.h"
#include "server/Server.h"
#include "support/LinkTestClient.h"
#include "support/ProcessStatus.h"
#include "support/QtPrint.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QScrollBar>
#include <QStyle>
#include <QTableWidget>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTextCodec>
#include <QTextEdit>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <future>
#include <map>
#include <memory>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

using testsupport::MakeBundle;
using testsupport::ProcessStatusKiB;
using testsupport::TempDir;
using testsupport::WireHeader;
using testsupport::WireUpload;

namespace {

// Updates that never come by themselves: the test runs them.
constexpr int kNoUpdates = 3600 * 1000;
constexpr qint64 kMiB = 1 << 20;

// Starts the peak resident size (VmHWM) again from the present size.
bool ResetPeakResident() {
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    return refs.open(QIODevice::WriteOnly) && refs.write("5") == 1;
}

template <typename T> T* Child(const Server& window, const char* name) {
    return window.findChild<T*>(QString::fromLatin1(name));
}

QString Cell(const QTableWidget* table, int row, int column) {
    const QTableWidgetItem* item = table->item(row, column);
    return item ? item->text() : QStringLiteral("<none>");
}

QString Log(const Server& window) {
    return Child<QTextEdit>(window, "textEdit")->toPlainText();
}

// A client connected from the given local address, accepted by the window.
std::unique_ptr<QTcpSocket> ConnectFrom(Server& window, const QString& local) {
    const int before = window.ClientCount();
    auto client = std::make_unique<QTcpSocket>();
    EXPECT_TRUE(client->bind(QHostAddress(local)));
    client->connectToHost(QHostAddress::LocalHost, Server::kPort);
    EXPECT_TRUE(client->waitForConnected(5000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.ClientCount() == before + 1; }, 5000));
    return client;
}

bool WaitForCount(const Server& window, const QString& count) {
    return QTest::qWaitFor([&] { return Child<QLabel>(window, "labelConnectL")->text() == count; }, 5000);
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

void RunUpdates(Server& window, int count) {
    for (int i = 0; i < count; ++i)
        ASSERT_TRUE(QMetaObject::invokeMethod(&window, "slot_Timer"));
}

// Each window over a program folder of its own.
class ServerWindow : public testing::Test {
protected:
    ServerOptions Options(int updateMs = 50) const {
        return ServerOptions { m_programDir.qpath(), updateMs };
    }
    QString StuFile() const { return m_programDir.qpath() + QStringLiteral("/StuFile"); }

    TempDir m_programDir;
};

} // namespace

TEST_F(ServerWindow, ShowsItsTextsAndListensOnPort4480) {
    Server window(Options());
    window.show();
    EXPECT_EQ(window.windowTitle(), QStringLiteral("教育版服务器"));
    EXPECT_EQ(window.size(), QSize(600, 600));
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
    EXPECT_FALSE(window.windowIcon().isNull());
    EXPECT_EQ(Child<QLineEdit>(window, "lineEdit")->text(), QStringLiteral("StuFile"));
    EXPECT_EQ(Child<QPushButton>(window, "button")->text(), QStringLiteral("浏览"));
    EXPECT_EQ(Child<QLabel>(window, "labelConnectL")->text(), QStringLiteral("0"));
    EXPECT_TRUE(Log(window).contains(QStringLiteral("监听端口:4480")));

    const QString ip = Child<QLabel>(window, "labelIp")->text();
    const QHostAddress address(ip);
    EXPECT_EQ(address.protocol(), QAbstractSocket::IPv4Protocol) << ip.toStdString();
    EXPECT_NE(address, QHostAddress(QHostAddress::LocalHost));

    const QTableWidget* list = Child<QTableWidget>(window, "list");
    EXPECT_EQ(list->horizontalHeaderItem(0)->text(), QStringLiteral("IP地址"));
    EXPECT_EQ(list->horizontalHeaderItem(1)->text(), QStringLiteral("客户端数"));
    const QTableWidget* scores = Child<QTableWidget>(window, "m_listScore");
    const QStringList headers { QStringLiteral("IP地址"), QStringLiteral("名字"), QStringLiteral("成绩"),
        QStringLiteral("提交时间") };
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(scores->horizontalHeaderItem(i)->text(), headers[i]);
    for (const char* name : { "label_2", "label_3", "label_9", "label_10", "label_11", "label_12" })
        EXPECT_TRUE(Child<QLabel>(window, name)) << name;
}

TEST_F(ServerWindow, ConnectionsAreGroupedByAddressAndGoneOnesLeave) {
    Server window(Options());
    window.show();
    auto first = ConnectFrom(window, QStringLiteral("127.0.0.1"));
    auto other = ConnectFrom(window, QStringLiteral("127.0.0.2"));
    auto second = ConnectFrom(window, QStringLiteral("127.0.0.1"));
    ASSERT_TRUE(WaitForCount(window, QStringLiteral("3")));
    const QTableWidget* list = Child<QTableWidget>(window, "list");
    ASSERT_EQ(list->rowCount(), 2);
    EXPECT_EQ(Cell(list, 0, 0), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(Cell(list, 0, 1), QStringLiteral("2"));
    EXPECT_EQ(Cell(list, 1, 0), QStringLiteral("127.0.0.2"));
    EXPECT_EQ(Cell(list, 1, 1), QStringLiteral("1"));
    EXPECT_TRUE(Log(window).contains(QStringLiteral("连接:127.0.0.2")));

    // The widest address of all shows whole, as do the column titles.
    auto wide = ConnectFrom(window, QStringLiteral("127.100.200.250"));
    ASSERT_TRUE(WaitForCount(window, QStringLiteral("4")));
    ASSERT_EQ(list->rowCount(), 3);
    QApplication::processEvents();
    const int margin = list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1;
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 2; ++column) {
            const QTableWidgetItem* item = list->item(row, column);
            EXPECT_GE(list->visualItemRect(item).width(),
                QFontMetrics(item->font()).horizontalAdvance(item->text()) + 2 * margin)
                << item->text().toStdString();
        }
    }
    const QHeaderView* header = list->horizontalHeader();
    for (int column = 0; column < 2; ++column) {
        const QString title = list->horizontalHeaderItem(column)->text();
        EXPECT_GE(header->sectionSize(column), header->fontMetrics().horizontalAdvance(title) + 2 * margin)
            << title.toStdString();
    }
    wide->disconnectFromHost();
    ASSERT_TRUE(WaitForCount(window, QStringLiteral("3")));

    first->disconnectFromHost();
    other->disconnectFromHost();
    ASSERT_TRUE(WaitForCount(window, QStringLiteral("1")));
    EXPECT_EQ(window.ClientCount(), 1);
    ASSERT_EQ(list->rowCount(), 1);
    EXPECT_EQ(Cell(list, 0, 1), QStringLiteral("1"));
    // The newest line stands first; a client that goes is no error.
    EXPECT_TRUE(Log(window).startsWith(QStringLiteral("断开:127.0.0."))) << Log(window).toStdString();
    EXPECT_FALSE(Log(window).contains(QStringLiteral("通讯出错")));

    second->disconnectFromHost();
    ASSERT_TRUE(WaitForCount(window, QStringLiteral("0")));
    EXPECT_EQ(list->rowCount(), 0);
}

TEST_F(ServerWindow, UploadsLandWhereTheScoreTableReads) {
    ASSERT_FALSE(QDir(StuFile()).exists());
    Server window(Options());
    window.show();
    auto client = ConnectFrom(window, QStringLiteral("127.0.0.1"));
    const QByteArray bundle = MakeBundle(11, 5000, QStringLiteral("得分:96,完成时间:41.5秒"));
    client->write(WireUpload(QStringLiteral("张三"), bundle));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return QDir(StuFile()).entryList({ QStringLiteral("*.3d") }).size() == 1; }, 5000));

    window.RefreshScores();
    const QTableWidget* scores = Child<QTableWidget>(window, "m_listScore");
    ASSERT_EQ(scores->rowCount(), 1);
    EXPECT_EQ(Cell(scores, 0, 0), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(Cell(scores, 0, 1), QStringLiteral("张三"));
    EXPECT_EQ(Cell(scores, 0, 2), QStringLiteral("得分:96,完成时间:41.5秒"));
    EXPECT_TRUE(
        QRegularExpression(QStringLiteral(R"(^\d{4}(-\d{1,2}){5}$)")).match(Cell(scores, 0, 3)).hasMatch());
}

TEST_F(ServerWindow, ScoreTableIsReadBackFromTheStoredFiles) {
    const QString folder = StuFile();
    QTextCodec* gbk = QTextCodec::codecForName("GBK");
    WriteFile(folder + QStringLiteral("/robot1_192.168.1.5_2011-5-3-9-7-2.3d"),
        MakeBundle(1, 600, QStringLiteral("得分:88,完成时间:30.2秒")));
    WriteFile(folder + QStringLiteral("/my_robot_192.168.1.5_2011-5-3-9-7-3.3d"),
        MakeBundle(2, 600, QStringLiteral("得分:5 and more words")));
    WriteFile(folder + QStringLiteral("/Short_10.0.0.1_2011-5-3-9-7-4.3d"), MakeBundle(3, 600).chopped(1));
    WriteFile(folder + QStringLiteral("/zero_10.0.0.1_2011-5-3-9-7-5.3d"),
        QByteArray("3_0_20__abc") + QByteArray(20, 'p'));
    WriteFile(folder + QStringLiteral("/notes.3d"), "hello world, no bundle at all");
    WriteFile(folder + QStringLiteral("/notext_10.0.0.2_2012-1-1-1-1-1.3d"),
        QByteArray("0_10_10__<robot/>121234567890"));
    // No white space and no "<" after the text: the word ends with the text,
    // the robot file is not read.
    WriteFile(folder + QStringLiteral("/BigDll_10.0.0.3_2012-1-1-1-1-2.3d"),
        QByteArray("2_300000_10__ab") + QByteArray(300000, 'x') + QByteArray(10, 'y'));
    // A long text: its first word is all that counts; a word running on for
    // pages is cut, on a whole character.
    const QByteArray longText
        = gbk->fromUnicode(QStringLiteral("\n 得分:100,完成时间:2.00秒\n")) + QByteArray(100000, 'z');
    WriteFile(folder + QStringLiteral("/LongText_10.0.0.5_2012-1-1-1-1-4.3d"),
        C3DFile::MakeHeader(longText.size(), 10, 10, 0) + longText + "<robot/>xx" + QByteArray(10, 'p'));
    const QByteArray longWord = gbk->fromUnicode(
        QStringLiteral("得分:1") + QString(3001, QLatin1Char('0')) + QString(3000, QChar(0x5206)));
    WriteFile(folder + QStringLiteral("/LongWord_10.0.0.5_2012-1-1-1-1-5.3d"),
        C3DFile::MakeHeader(longWord.size(), 10, 10, 0) + longWord + "<robot/>xx" + QByteArray(10, 'p'));
    WriteFile(folder + QStringLiteral("/gbk_10.0.0.4_2012-1-1-1-1-3.3d"),
        QByteArray("5_10_10__") + gbk->fromUnicode(QStringLiteral("满分")).left(4) + "!"
            + QByteArray(20, '<'));
    // A text that runs into markup: the word ends before the "<".
    const QByteArray markup = gbk->fromUnicode(QStringLiteral("得分:7<b>"));
    WriteFile(folder + QStringLiteral("/lessThan_10.0.0.4_2012-1-1-1-1-7.3d"),
        C3DFile::MakeHeader(markup.size(), 10, 10, 0) + markup + QByteArray(20, 'r'));
    QDir().mkpath(folder + QStringLiteral("/folder.3d"));
    WriteFile(folder + QStringLiteral("/ignored.txt"), "not listed");
    // A bundle's name on a pipe that no one writes: opening it would wait
    // for ever. Should the refresh wait after all, a writer comes and goes
    // after 5 s, and the test fails on the time it took instead of hanging.
    const QByteArray pipe = QFile::encodeName(folder + QStringLiteral("/pipe.fifo"));
    ASSERT_EQ(mkfifo(pipe.constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(
        QStringLiteral("pipe.fifo"), folder + QStringLiteral("/pipe_10.0.0.6_2012-1-1-1-1-6.3d")));
    std::promise<void> refreshed;
    std::thread unblock([&pipe, done = refreshed.get_future()] {
        if (done.wait_for(std::chrono::seconds(5)) == std::future_status::timeout) {
            const int fd = open(pipe.constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0)
                close(fd);
        }
    });
    const auto stopUnblocking = qScopeGuard([&] {
        refreshed.set_value();
        unblock.join();
    });
    const auto before = std::chrono::steady_clock::now();
    Server window(Options());
    ASSERT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(5))
        << "the refresh waited on a pipe";
    const QTableWidget* scores = Child<QTableWidget>(window, "m_listScore");
    const QStringList order { QStringLiteral("BigDll"), QStringLiteral("folder"), QStringLiteral("gbk"),
        QStringLiteral("lessThan"), QStringLiteral("LongText"), QStringLiteral("LongWord"),
        QStringLiteral("my_robot"), QStringLiteral("notes"), QStringLiteral("notext"), QStringLiteral("pipe"),
        QStringLiteral("robot1"), QStringLiteral("Short"), QStringLiteral("zero") };
    const int count = static_cast<int>(order.size());
    ASSERT_EQ(scores->rowCount(), count);
    for (int row = 0; row < count; ++row)
        EXPECT_EQ(Cell(scores, row, 1), order[row]) << row;

    std::map<QString, QStringList> rows;
    for (int row = 0; row < count; ++row)
        rows[Cell(scores, row, 1)] = { Cell(scores, row, 0), Cell(scores, row, 2), Cell(scores, row, 3) };
    EXPECT_EQ(rows[QStringLiteral("robot1")],
        (QStringList { QStringLiteral("192.168.1.5"), QStringLiteral("得分:88,完成时间:30.2秒"),
            QStringLiteral("2011-5-3-9-7-2") }));
    EXPECT_EQ(rows[QStringLiteral("my_robot")][1], QStringLiteral("得分:5"));
    EXPECT_EQ(rows[QStringLiteral("Short")][1], QString());
    EXPECT_EQ(rows[QStringLiteral("zero")][1], QString());
    EXPECT_EQ(rows[QStringLiteral("notes")], (QStringList { QString(), QString(), QString() }));
    EXPECT_EQ(rows[QStringLiteral("notext")][1], QString());
    EXPECT_EQ(rows[QStringLiteral("gbk")][1], QStringLiteral("满分!"));
    EXPECT_EQ(rows[QStringLiteral("lessThan")][1], QStringLiteral("得分:7"));
    EXPECT_EQ(rows[QStringLiteral("folder")][1], QString());
    EXPECT_EQ(rows[QStringLiteral("pipe")][1], QString());
    EXPECT_EQ(rows[QStringLiteral("BigDll")][1], QStringLiteral("ab"));
    EXPECT_EQ(rows[QStringLiteral("LongText")][1], QStringLiteral("得分:100,完成时间:2.00秒"));
    // Only the start of a long word is read.
    const QString word = rows[QStringLiteral("LongWord")][1];
    EXPECT_TRUE(word.startsWith(QStringLiteral("得分:1000")));
    EXPECT_LE(word.size(), 4096);
    EXPECT_FALSE(word.contains(QChar::ReplacementCharacter));

    // Once the teacher sorts by a column, a refresh keeps that order and
    // each file's cells together.
    scores->horizontalHeader()->setSortIndicator(0, Qt::AscendingOrder);
    window.RefreshScores();
    ASSERT_EQ(scores->rowCount(), count);
    for (int row = 0; row < count; ++row) {
        const QStringList& expected = rows[Cell(scores, row, 1)];
        EXPECT_EQ(
            (QStringList { Cell(scores, row, 0), Cell(scores, row, 2), Cell(scores, row, 3) }), expected);
        if (row > 0) {
            EXPECT_LE(Cell(scores, row - 1, 0), Cell(scores, row, 0));
        }
    }
    EXPECT_EQ(Cell(scores, count - 1, 0), QStringLiteral("192.168.1.5"));
}

// A stored bundle with a 200 MiB result text: a refresh reads its start
// only, so the server's memory hardly grows while it runs, and the row
// shows as for any text that does not begin with a word (an empty score).
TEST_F(ServerWindow, RefreshReadsNoMoreOfAHugeResultTextThanItsStart) {
    Server window(Options(kNoUpdates));
    const QTableWidget* scores = Child<QTableWidget>(window, "m_listScore");
    ASSERT_EQ(scores->rowCount(), 0);

    constexpr qint64 kText = 200 * kMiB;
    const QString path = StuFile() + QStringLiteral("/huge_10.0.0.7_2024-6-1-8-0-0.3d");
    {
        QDir().mkpath(StuFile());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.write(C3DFile::MakeHeader(kText, 10, 10, 0)) > 0);
        const QByteArray blanks = QByteArray(kMiB - 1, ' ') + '\n';
        for (qint64 written = 0; written < kText; written += blanks.size())
            ASSERT_EQ(file.write(blanks), blanks.size());
        ASSERT_EQ(file.write("<robot/>xxPROGRAM123"), 20);
    }
    const auto removeFile = qScopeGuard([&] { QFile::remove(path); });

    const qint64 idle = ProcessStatusKiB("VmRSS");
    ASSERT_GT(idle, 0);
    ASSERT_TRUE(ResetPeakResident());
    window.RefreshScores();
    const qint64 peak = ProcessStatusKiB("VmHWM");
    EXPECT_LT(peak - idle, 50 * 1024) << "peak " << peak << " KiB, idle " << idle << " KiB";

    ASSERT_EQ(scores->rowCount(), 1);
    EXPECT_EQ(Cell(scores, 0, 1), QStringLiteral("huge"));
    EXPECT_EQ(Cell(scores, 0, 2), QString());
    EXPECT_EQ(Cell(scores, 0, 3), QStringLiteral("2024-6-1-8-0-0"));
}

// At the window's fixed size, a row's cells show whole within the table's
// visible width: a full result text and the time are not cut, and the last
// column takes the room that is left. A name long enough to fill the width
// makes the table scroll rather than cut the time.
TEST_F(ServerWindow, ScoreTableShowsAWholeResultTextAtTheWindowsSize) {
    const QString text = QStringLiteral("得分:100,完成时间:123.45秒");
    WriteFile(StuFile() + QStringLiteral("/张三丰同学_192.168.100.200_2024-12-31-23-59-59.3d"),
        MakeBundle(7, 900, text));
    auto window = std::make_unique<Server>(Options(kNoUpdates));
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    EXPECT_EQ(window->size(), QSize(600, 600));
    QTableWidget* scores = Child<QTableWidget>(*window, "m_listScore");
    ASSERT_EQ(scores->rowCount(), 1);
    ASSERT_EQ(Cell(scores, 0, 2), text);
    QApplication::processEvents();

    // Item views leave this much room on either side of a cell's text.
    const int margin = scores->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, scores) + 1;
    const auto shownWhole = [&](int row, int column) {
        const QTableWidgetItem* item = scores->item(row, column);
        const int needed = QFontMetrics(item->font()).horizontalAdvance(item->text()) + 2 * margin;
        return scores->visualItemRect(item).width() >= needed;
    };
    const int viewport = scores->viewport()->width();
    for (int column = 0; column < 4; ++column) {
        EXPECT_TRUE(shownWhole(0, column)) << column << ": " << Cell(scores, 0, column).toStdString();
        const QRect cell = scores->visualItemRect(scores->item(0, column));
        EXPECT_GE(cell.left(), 0) << column;
        EXPECT_LE(cell.right(), viewport - 1) << column;
    }
    const QHeaderView* header = scores->horizontalHeader();
    EXPECT_EQ(header->sectionViewportPosition(3) + header->sectionSize(3), viewport);

    // A window opened on a folder where a long name fills the width.
    const QString longName = QStringLiteral("三年级二班王小明同学的第一个巡线机器人作品最终修改版本");
    WriteFile(StuFile() + QStringLiteral("/") + longName
            + QStringLiteral("_192.168.100.201_2024-12-31-23-59-58.3d"),
        MakeBundle(8, 900, text));
    window.reset();
    window = std::make_unique<Server>(Options(kNoUpdates));
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    scores = Child<QTableWidget>(*window, "m_listScore");
    header = scores->horizontalHeader();
    ASSERT_EQ(scores->rowCount(), 2);
    QApplication::processEvents();
    for (int row = 0; row < 2; ++row) {
        for (int column = 0; column < 4; ++column)
            EXPECT_TRUE(shownWhole(row, column)) << row << ", " << column;
    }
    EXPECT_GT(header->length(), scores->viewport()->width());
    EXPECT_TRUE(scores->horizontalScrollBar()->isVisible());
}

TEST_F(ServerWindow, ChosenFolderIsListedAtOnceAndReceivesTheNextBundle) {
    TempDir chosen;
    WriteFile(chosen.qpath() + QStringLiteral("/old_10.0.0.9_2020-2-2-2-2-2.3d"), MakeBundle(4, 700));
    Server window(Options(kNoUpdates));
    window.show();
    // The teacher types the folder into the dialog and presses Return.
    QTimer::singleShot(300, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        auto* name = dialog ? dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")) : nullptr;
        if (!name) {
            ADD_FAILURE() << "no folder dialog";
            if (QWidget* modal = QApplication::activeModalWidget())
                modal->close();
            return;
        }
        name->setText(chosen.qpath());
        QTest::keyClick(name, Qt::Key_Return);
    });
    QTest::mouseClick(Child<QPushButton>(window, "button"), Qt::LeftButton);
    EXPECT_EQ(QDir(window.ReceiveFolder()).canonicalPath(), QDir(chosen.qpath()).canonicalPath());
    EXPECT_EQ(Child<QLineEdit>(window, "lineEdit")->text(), window.ReceiveFolder());
    const QTableWidget* scores = Child<QTableWidget>(window, "m_listScore");
    ASSERT_EQ(scores->rowCount(), 1);
    EXPECT_EQ(Cell(scores, 0, 1), QStringLiteral("old"));

    auto client = ConnectFrom(window, QStringLiteral("127.0.0.1"));
    client->write(WireUpload(QStringLiteral("new"), MakeBundle(5, 700)));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return QDir(chosen.qpath()).entryList({ QStringLiteral("new_*.3d") }).size() == 1; }, 5000));
    EXPECT_FALSE(QDir(StuFile()).exists());
}

// A flood of connections from one address and an upload that trickles in
// from another, while a student on a slow but honest network uploads: the
// address gets its 8 connections and every further one is closed at once,
// said once; the trickle is dropped when it falls behind the slowest pace;
// the student's bundle, which takes longer than that grace, arrives whole.
// The student's keep-alives, every 50 ms, are the test's clock.
TEST_F(ServerWindow, AFloodFromOneAddressAndATrickleFromAnotherLeaveTheStudentServed) {
    ServerOptions options { m_programDir.qpath(), 50, 50 };
    options.uploadGraceMs = 1000;
    options.minUploadBytesPerSecond = 10000;
    options.refusalLogMs = 2000;
    Server window(options);
    window.show();
    auto student = ConnectFrom(window, QStringLiteral("127.0.0.2"));
    auto trickle = ConnectFrom(window, QStringLiteral("127.0.0.4"));

    std::vector<std::unique_ptr<QTcpSocket>> flood;
    for (int i = 0; i < 8; ++i)
        flood.push_back(ConnectFrom(window, QStringLiteral("127.0.0.3")));
    QElapsedTimer floodTime;
    floodTime.start();
    std::vector<std::unique_ptr<QTcpSocket>> refused;
    for (int i = 0; i < 40; ++i) {
        refused.push_back(std::make_unique<QTcpSocket>());
        ASSERT_TRUE(refused.back()->bind(QHostAddress(QStringLiteral("127.0.0.3"))));
        refused.back()->connectToHost(QHostAddress::LocalHost, Server::kPort);
    }
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return std::all_of(refused.begin(), refused.end(),
                [](const auto& socket) { return socket->state() == QAbstractSocket::UnconnectedState; });
        },
        10000))
        << "connections over the address's cap were kept";
    const QString refusal = QStringLiteral("拒绝连接:127.0.0.3:同一地址的连接已达上限(8个)\n");
    if (floodTime.elapsed() < options.refusalLogMs) {
        EXPECT_EQ(Log(window).count(refusal), 1) << Log(window).toStdString();
    }
    EXPECT_EQ(Log(window).count(QStringLiteral("拒绝连接:")), Log(window).count(refusal));
    EXPECT_EQ(window.ClientCount(), 10);

    // 40,000 bytes at a piece of 1,000 per tick: 20,000 a second for 2 s,
    // against 10,000 a second after 1 s. The trickle brings 20 a second.
    const QByteArray bundle = MakeBundle(30, 40000);
    const QByteArray wire = WireUpload(QStringLiteral("honest"), bundle);
    const QByteArray slow = WireUpload(QStringLiteral("trickle"), MakeBundle(31, 40000));
    trickle->write(slow.left(40));
    const auto nextTick = [&] {
        const bool ticked = QTest::qWaitFor([&] { return student->bytesAvailable() >= 46; }, 5000);
        student->read(46);
        return ticked;
    };
    qsizetype trickled = 40;
    for (qsizetype at = 0; at < wire.size(); at += 1000) {
        ASSERT_TRUE(nextTick()) << "at byte " << at << ": " << Log(window).toStdString();
        student->write(wire.mid(at, 1000));
        if (trickle->state() == QAbstractSocket::ConnectedState)
            trickle->write(slow.mid(trickled++, 1));
    }
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return QDir(StuFile()).entryList({ QStringLiteral("honest_127.0.0.2_*.3d") }).size() == 1; },
        5000))
        << Log(window).toStdString();
    const QString stored = QDir(StuFile()).entryList({ QStringLiteral("honest_*.3d") }).value(0);
    QFile file(StuFile() + QLatin1Char('/') + stored);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll() == bundle) << "content differs";

    ASSERT_TRUE(QTest::qWaitFor([&] { return trickle->state() == QAbstractSocket::UnconnectedState; }, 5000))
        << Log(window).toStdString();
    const QRegularExpression dropped(
        QStringLiteral(R"(^断开:127\.0\.0\.4:上传太慢\(\d+秒只收到\d+字节,共%1字节\),未收完的文件已删除$)")
            .arg(MakeBundle(31, 40000).size()));
    const QStringList lines = Log(window).split(QLatin1Char('\n'));
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                  [&](const QString& line) { return dropped.match(line).hasMatch(); }),
        1)
        << Log(window).toStdString();
    EXPECT_EQ(QDir(StuFile()).entryList(QDir::Files | QDir::Hidden), QStringList { stored });

    // The flood's connections that were taken stay, as any idle simulator.
    ASSERT_TRUE(WaitForCount(window, QStringLiteral("9")));
    for (const auto& socket : flood)
        EXPECT_EQ(socket->state(), QAbstractSocket::ConnectedState);
    const QTableWidget* list = Child<QTableWidget>(window, "list");
    ASSERT_EQ(list->rowCount(), 2);
    EXPECT_EQ(Cell(list, 0, 0), QStringLiteral("127.0.0.2"));
    EXPECT_EQ(Cell(list, 1, 0), QStringLiteral("127.0.0.3"));
    EXPECT_EQ(Cell(list, 1, 1), QStringLiteral("8"));

    // Once the interval is over, the address's refusals are said again.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            QTcpSocket again;
            again.bind(QHostAddress(QStringLiteral("127.0.0.3")));
            again.connectToHost(QHostAddress::LocalHost, Server::kPort);
            QTest::qWaitFor([&] { return again.state() == QAbstractSocket::UnconnectedState; }, 2000);
            return Log(window).count(refusal) == 2;
        },
        options.refusalLogMs + 10000));
}

TEST_F(ServerWindow, OverlongUploadIsLoggedAndItsConnectionClosed) {
    Server window(Options());
    window.show();
    auto client = ConnectFrom(window, QStringLiteral("127.0.0.1"));
    client->write(WireHeader(14, CClient::kMaxDataLength + 1));
    ASSERT_TRUE(QTest::qWaitFor([&] { return client->state() == QAbstractSocket::UnconnectedState; }, 5000));
    EXPECT_TRUE(Log(window).contains(QStringLiteral("通讯出错:127.0.0.1:文件长度无效(%1字节,上限%2字节)")
                                         .arg(CClient::kMaxDataLength + 1)
                                         .arg(CClient::kMaxDataLength)))
        << Log(window).toStdString();
    ASSERT_TRUE(WaitForCount(window, QStringLiteral("0")));
}

// A server that runs for weeks, or is flooded, shows the newest lines of
// its log and keeps its memory.
TEST_F(ServerWindow, TheLogKeepsItsNewestThousandLines) {
    Server window(Options(kNoUpdates));
    const auto line = [](int i) { return QStringLiteral("连接:10.0.%1.%2").arg(i / 250).arg(i % 250); };
    for (int i = 0; i < 1500; ++i)
        window.slot_Print(line(i));
    QStringList shown = Log(window).split(QLatin1Char('\n'));
    ASSERT_EQ(shown.size(), 1001);
    EXPECT_EQ(shown.takeLast(), QString());
    EXPECT_EQ(shown.first(), line(1499));
    EXPECT_EQ(shown.last(), line(500));
    EXPECT_EQ(shown.indexOf(line(1000)), 499);

    const qint64 before = ProcessStatusKiB("VmRSS");
    for (int i = 0; i < 30000; ++i)
        window.slot_Print(line(i));
    const qint64 after = ProcessStatusKiB("VmRSS");
    std::printf("Resident: %lld KiB before, %lld KiB after 30,000 more lines\n",
        static_cast<long long>(before), static_cast<long long>(after));
#ifndef __SANITIZE_ADDRESS__
    EXPECT_LT(after - before, 2 * 1024) << "KiB";
#endif
    EXPECT_EQ(Log(window).count(QLatin1Char('\n')), 1000);
    EXPECT_TRUE(Log(window).startsWith(line(29999) + QLatin1Char('\n')));
}

TEST_F(ServerWindow, EveryThirtyFirstUpdateRefreshesTheScoresFromTheTypedFolder) {
    TempDir typed;
    WriteFile(typed.qpath() + QStringLiteral("/typed_10.0.0.8_2020-2-2-2-2-2.3d"), MakeBundle(9, 700));
    Server window(Options(kNoUpdates));
    const QTableWidget* scores = Child<QTableWidget>(window, "m_listScore");
    ASSERT_EQ(scores->rowCount(), 0);
    Child<QLineEdit>(window, "lineEdit")->setText(typed.qpath());

    // Thirty updates leave the table and the folder as they were.
    RunUpdates(window, 30);
    EXPECT_EQ(window.ReceiveFolder(), QStringLiteral("StuFile"));
    EXPECT_EQ(scores->rowCount(), 0);
    // The thirty-first takes the folder as typed and lists it.
    RunUpdates(window, 1);
    EXPECT_EQ(window.ReceiveFolder(), typed.qpath());
    ASSERT_EQ(scores->rowCount(), 1);
    EXPECT_EQ(Cell(scores, 0, 1), QStringLiteral("typed"));

    // And so on every thirty-one updates.
    Child<QLineEdit>(window, "lineEdit")->setText(StuFile());
    RunUpdates(window, 30);
    EXPECT_EQ(scores->rowCount(), 1);
    RunUpdates(window, 1);
    EXPECT_EQ(scores->rowCount(), 0);
}

TEST_F(ServerWindow, PortInUseIsLoggedAndListeningIsRetriedAtEveryUpdate) {
    QTcpServer occupant;
    ASSERT_TRUE(occupant.listen(QHostAddress::AnyIPv4, Server::kPort));
    // Part files a killed server left behind, and files that only look like
    // them. Those of the server holding the port are never touched.
    const QStringList leftovers { QStringLiteral(".receiving-0123456789abcdef.part"),
        QStringLiteral(".receiving-fedcba9876543210.part") };
    const QStringList others { QStringLiteral(".receiving-0123456789abcdeg.part"),
        QStringLiteral("receiving-0123456789abcdef.part"),
        QStringLiteral(".receiving-0123456789abcdef.part.3d"),
        QStringLiteral("a_10.0.0.1_2020-1-1-1-1-1.3d") };
    for (const QString& name : leftovers + others)
        WriteFile(StuFile() + QLatin1Char('/') + name, "half");
    const auto stored = [&] { return QDir(StuFile()).entryList(QDir::Files | QDir::Hidden, QDir::Name); };
    const QStringList all = stored();

    Server window(Options(kNoUpdates));
    const QString error = QStringLiteral("服务端出错:端口已被占用");
    EXPECT_EQ(Log(window).count(error), 1) << Log(window).toStdString();
    EXPECT_EQ(stored(), all);
    EXPECT_FALSE(Log(window).contains(QStringLiteral("监听端口")));
    EXPECT_NE(Child<QLabel>(window, "labelConnectL")->text(), QStringLiteral("0"));

    RunUpdates(window, 2);
    EXPECT_EQ(Log(window).count(error), 3);
    EXPECT_EQ(Child<QLabel>(window, "labelConnectL")->text(), QStringLiteral("0"));

    // Once the port is free, the next update listens, and the leftovers go.
    occupant.close();
    RunUpdates(window, 1);
    EXPECT_TRUE(Log(window).startsWith(QStringLiteral("删除了上次未收完的文件:2个\n监听端口:4480")))
        << Log(window).toStdString();
    QStringList expected = others;
    expected.sort();
    EXPECT_EQ(stored(), expected);
    auto client = ConnectFrom(window, QStringLiteral("127.0.0.1"));
    EXPECT_EQ(window.ClientCount(), 1);
}

// Descriptors used up by something else than connections (the caps keep
// those below the limit): the listener says so once, and takes connections
// again once they are free; a second time is said again.
TEST_F(ServerWindow, AcceptingGoesOnOnceDescriptorsAreFreeAgain) {
#ifdef __SANITIZE_ADDRESS__
    // The sanitizers test memory through a pipe of their own, and take a
    // memory they cannot test for a fault.
    GTEST_SKIP() << "the sanitizers' checks need the descriptors this case uses up";
#endif
    Server window(Options(kNoUpdates));
    const QString error = QStringLiteral("服务端出错:系统资源不足");
    std::vector<int> clients;
    for (int round = 1; round <= 2; ++round) {
        SCOPED_TRACE(round);
        // A simulator's socket, made while descriptors are still to be had.
        const int client = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        ASSERT_GE(client, 0);
        clients.push_back(client);
        // Every descriptor of the process in use, up to a lowered limit.
        rlimit limit {};
        ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &limit), 0);
        const rlimit old = limit;
        limit.rlim_cur = static_cast<rlim_t>(QDir(QStringLiteral("/proc/self/fd")).count()) + 16;
        ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &limit), 0);
        std::vector<int> taken;
        for (int fd; (fd = open("/dev/null", O_RDONLY | O_CLOEXEC)) >= 0;)
            taken.push_back(fd);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_port = htons(Server::kPort);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const bool connected = ::connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        const bool refused = QTest::qWaitFor([&] { return Log(window).count(error) == round; }, 5000);
        for (int fd : taken)
            close(fd);
        setrlimit(RLIMIT_NOFILE, &old);
        ASSERT_TRUE(connected);
        ASSERT_TRUE(refused) << Log(window).toStdString();
        EXPECT_EQ(window.ClientCount(), round - 1);

        // The next update takes up accepting again, and the waiting simulator is in.
        RunUpdates(window, 1);
        EXPECT_TRUE(QTest::qWaitFor([&] { return window.ClientCount() == round; }, 5000));
    }
    for (int client : clients)
        close(client);
}
