#include "server/ServerClass.h"

#include <QEvent>
#include <QFont>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QTableWidget>
#include <QTextEdit>
#include <QVBoxLayout>

#include <algorithm>

namespace Ui {

namespace {

QLabel* FixedLabel(const QString& name, const QString& text, int minWidth, int maxWidth, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setMinimumSize(minWidth, 20);
    label->setMaximumSize(maxWidth, 20);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return label;
}

QLabel* Heading(const QString& name, const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setFixedHeight(20);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

QTableWidget* Table(const QString& name, const QStringList& headers, QWidget* parent) {
    auto* table = new QTableWidget(0, static_cast<int>(headers.size()), parent);
    table->setObjectName(name);
    table->setHorizontalHeaderLabels(headers);
    // Rows stay in the order they are filled in until the user picks a
    // column to sort by.
    table->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    table->setSortingEnabled(true);
    table->setWordWrap(true);
    return table;
}

// Keeps a table's columns as wide as their widest cells, the last one
// stretching over the room that is left. A stretched last column alone would
// be cut down to the room left when long cells fill the width; then it keeps
// its own contents' width and the table scrolls instead.
class ContentWidthColumns : public QObject {
public:
    explicit ContentWidthColumns(QTableWidget* table)
        : QObject(table)
        , m_table(table) {
        QHeaderView* header = table->horizontalHeader();
        header->setSectionResizeMode(QHeaderView::ResizeToContents);
        header->setStretchLastSection(true);
        // Columns follow their cells whenever the table is filled again, and
        // the room changes when the vertical scroll bar comes or goes.
        connect(header, &QHeaderView::sectionResized, this, &ContentWidthColumns::Fit);
        table->viewport()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Resize)
            Fit();
        return QObject::eventFilter(watched, event);
    }

private:
    void Fit() {
        QHeaderView* header = m_table->horizontalHeader();
        const int last = header->count() - 1;
        if (last < 0)
            return;
        int others = 0;
        for (int column = 0; column < last; ++column)
            others += header->sectionSize(column);
        // What the header would give the last column by its contents.
        const int own = std::max(header->sectionSizeHint(last),
            static_cast<const QAbstractItemView*>(m_table)->sizeHintForColumn(last));
        header->setStretchLastSection(others + own <= m_table->viewport()->width());
    }

    QTableWidget* m_table;
};

} // namespace

void ServerClass::setupUi(QMainWindow* window) {
    window->setObjectName(QStringLiteral("ServerClass"));
    window->resize(600, 600);
    window->setMinimumSize(600, 600);
    window->setMaximumSize(600, 600);
    window->setWindowTitle(QStringLiteral("Server"));

    centralWidget = new QWidget(window);
    centralWidget->setObjectName(QStringLiteral("centralWidget"));
    verticalLayoutWidget = new QWidget(centralWidget);
    verticalLayoutWidget->setObjectName(QStringLiteral("verticalLayoutWidget"));
    verticalLayoutWidget->setGeometry(10, 9, 581, 581);
    verticalLayout = new QVBoxLayout(verticalLayoutWidget);
    verticalLayout->setObjectName(QStringLiteral("verticalLayout"));
    verticalLayout->setSpacing(6);
    verticalLayout->setContentsMargins(0, 0, 0, 0);

    horizontalLayout_2 = new QHBoxLayout;
    horizontalLayout_2->setObjectName(QStringLiteral("horizontalLayout_2"));
    horizontalLayout_2->setSpacing(6);
    label_2
        = FixedLabel(QStringLiteral("label_2"), QStringLiteral("服务器IP:"), 50, 60, verticalLayoutWidget);
    labelIp
        = FixedLabel(QStringLiteral("labelIp"), QStringLiteral("0.0.0.0"), 100, 100, verticalLayoutWidget);
    label_3 = FixedLabel(QStringLiteral("label_3"), QStringLiteral("连接数:"), 40, 40, verticalLayoutWidget);
    labelConnectL = FixedLabel(QStringLiteral("labelConnectL"), QString(), 50, 50, verticalLayoutWidget);
    horizontalLayout_2->addWidget(label_2);
    horizontalLayout_2->addWidget(labelIp);
    horizontalLayout_2->addWidget(label_3);
    horizontalLayout_2->addWidget(labelConnectL);
    horizontalLayout_2->addStretch();
    verticalLayout->addLayout(horizontalLayout_2);

    label_11 = Heading(QStringLiteral("label_11"), QStringLiteral("连接情况:"), verticalLayoutWidget);
    verticalLayout->addWidget(label_11);
    list = Table(QStringLiteral("list"), { QStringLiteral("IP地址"), QStringLiteral("客户端数") },
        verticalLayoutWidget);
    // Every address shows whole.
    new ContentWidthColumns(list);
    verticalLayout->addWidget(list);

    label_9 = Heading(QStringLiteral("label_9"), QStringLiteral("通讯情况:"), verticalLayoutWidget);
    verticalLayout->addWidget(label_9);
    textEdit = new QTextEdit(verticalLayoutWidget);
    textEdit->setObjectName(QStringLiteral("textEdit"));
    textEdit->setReadOnly(true);
    textEdit->setMinimumHeight(100);
    textEdit->setFont(QFont(QStringLiteral("宋体"), 9));
    verticalLayout->addWidget(textEdit);

    horizontalLayout_3 = new QHBoxLayout;
    horizontalLayout_3->setObjectName(QStringLiteral("horizontalLayout_3"));
    horizontalLayout_3->setSpacing(6);
    label_10
        = FixedLabel(QStringLiteral("label_10"), QStringLiteral("接收文件夹:"), 70, 70, verticalLayoutWidget);
    lineEdit = new QLineEdit(QStringLiteral("StuFile"), verticalLayoutWidget);
    lineEdit->setObjectName(QStringLiteral("lineEdit"));
    button = new QPushButton(QStringLiteral("浏览"), verticalLayoutWidget);
    button->setObjectName(QStringLiteral("button"));
    button->setMaximumWidth(60);
    horizontalLayout_3->addWidget(label_10);
    horizontalLayout_3->addWidget(lineEdit);
    horizontalLayout_3->addWidget(button);
    verticalLayout->addLayout(horizontalLayout_3);

    label_12 = Heading(QStringLiteral("label_12"), QStringLiteral("成绩情况:"), verticalLayoutWidget);
    verticalLayout->addWidget(label_12);
    m_listScore = Table(QStringLiteral("m_listScore"),
        { QStringLiteral("IP地址"), QStringLiteral("名字"), QStringLiteral("成绩"),
            QStringLiteral("提交时间") },
        verticalLayoutWidget);
    // A whole result text shows, and so does the time after it.
    new ContentWidthColumns(m_listScore);
    verticalLayout->addWidget(m_listScore);

    window->setCentralWidget(centralWidget);
}

} // namespace Ui
