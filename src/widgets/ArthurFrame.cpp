#include "widgets/ArthurFrame.h"

#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QPainter>
#include <QRegularExpression>
#include <QTextBrowser>

ArthurFrame::ArthurFrame(QWidget* parent)
    : QWidget(parent) { }

void ArthurFrame::paint(QPainter* /*painter*/) { }

void ArthurFrame::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    painter.setRenderHint(QPainter::Antialiasing);
    paint(&painter);
}

void ArthurFrame::resizeEvent(QResizeEvent* event) {
    if (m_pDescription)
        m_pDescription->setGeometry(rect().adjusted(10, 10, -10, -10));
    QWidget::resizeEvent(event);
}

void ArthurFrame::setPreferImage(bool preferImage) {
    m_bPreferImage = preferImage;
    update();
}

void ArthurFrame::setDescription(const QString& html) {
    m_sDescription = html;
    if (m_pDescription)
        m_pDescription->setHtml(html);
}

void ArthurFrame::setDescriptionEnabled(bool enabled) {
    if (enabled == (m_pDescription && m_pDescription->isVisible()))
        return;
    if (enabled) {
        if (!m_pDescription) {
            m_pDescription = new QTextBrowser(this);
            m_pDescription->setHtml(m_sDescription);
        }
        m_pDescription->setGeometry(rect().adjusted(10, 10, -10, -10));
        m_pDescription->show();
    } else {
        m_pDescription->hide();
    }
    emit descriptionEnabledChanged(enabled);
}

QString ArthurFrame::SourceToHtml(const QString& source) {
    QString html = source;
    // First, so that the entities made next stay whole.
    html.replace(QLatin1Char('&'), QLatin1String("&amp;"));
    html.replace(QLatin1Char('<'), QLatin1String("&lt;"));
    html.replace(QLatin1Char('>'), QLatin1String("&gt;"));
    const char* const keywords[] = { "this", "static", "#define ", "double ", "case ", "uint ", "void ",
        "const", "#include ", " int ", "switch ", "for " };
    for (const char* keyword : keywords) {
        const QString word = QString::fromLatin1(keyword);
        html.replace(word, QStringLiteral("<font color=olive>") + word + QStringLiteral("</font>"));
    }
    const char* const preprocessor[] = { "#else", "#endif", "#ifndef", "#ifdef" };
    for (const char* keyword : preprocessor) {
        const QString word = QString::fromLatin1(keyword);
        html.replace(word, QStringLiteral("<font color=navy>") + word + QStringLiteral("</font>"));
    }
    static const QRegularExpression number(QStringLiteral("(\\d\\d?)"));
    html.replace(number, QStringLiteral("<font color=navy>\\1</font>"));
    static const QRegularExpression comment(QStringLiteral("(//.+)\\n"));
    html.replace(comment, QStringLiteral("<font color=red>\\1</font>\n"));
    // Each literal on its own, not from a line's first quote to its last.
    static const QRegularExpression literal(QStringLiteral("(\".+?\")"));
    html.replace(literal, QStringLiteral("<font color=green>\\1</font>"));
    return QStringLiteral("<html><pre>") + html + QStringLiteral("</pre></html>");
}

void ArthurFrame::showSource() {
    if (m_sSourceFile.isEmpty()) {
        QMessageBox::information(
            this, windowTitle(), QStringLiteral("No source for widget: '%1'").arg(objectName()));
        return;
    }
    QFile file(m_sSourceFile);
    if (!file.open(QIODevice::ReadOnly)) {
        QMessageBox::information(
            this, windowTitle(), QStringLiteral("Could not open file: '%1'").arg(m_sSourceFile));
        return;
    }
    auto* browser = new QTextBrowser;
    browser->setAttribute(Qt::WA_DeleteOnClose);
    browser->setWindowTitle(QStringLiteral("Source: ") + QFileInfo(m_sSourceFile).fileName());
    browser->setHtml(SourceToHtml(QString::fromUtf8(file.readAll())));
    browser->resize(600, 600);
    browser->show();
}
