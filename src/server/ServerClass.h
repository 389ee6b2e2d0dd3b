#pragma once

class QHBoxLayout;
class QLabel;
class QLineEdit;
class QMainWindow;
class QPushButton;
class QTableWidget;
class QTextEdit;
class QVBoxLayout;
class QWidget;

namespace Ui {

// The server window's form: a fixed 600 x 600 window, from top to bottom
// the server address and connection count, the connection table, the log,
// the receive folder with its browse button, and the score table.
class ServerClass {
public:
    void setupUi(QMainWindow* window);

    QWidget* centralWidget = nullptr;
    QWidget* verticalLayoutWidget = nullptr;
    QVBoxLayout* verticalLayout = nullptr;
    QHBoxLayout* horizontalLayout_2 = nullptr;
    QLabel* label_2 = nullptr;
    QLabel* labelIp = nullptr;
    QLabel* label_3 = nullptr;
    QLabel* labelConnectL = nullptr;
    QLabel* label_11 = nullptr;
    QTableWidget* list = nullptr;
    QLabel* label_9 = nullptr;
    QTextEdit* textEdit = nullptr;
    QHBoxLayout* horizontalLayout_3 = nullptr;
    QLabel* label_10 = nullptr;
    QLineEdit* lineEdit = nullptr;
    QPushButton* button = nullptr;
    QLabel* label_12 = nullptr;
    QTableWidget* m_listScore = nullptr;
};

} // namespace Ui
