#pragma once

#include <QString>
#include <QWidget>

class QPainter;
class QTextBrowser;

// A widget that its subclasses paint through paint(), with two extras a
// demonstration widget offers: a description shown over it, and its own
// source file shown as coloured HTML in a window of its own.
class ArthurFrame : public QWidget {
    Q_OBJECT

public:
    explicit ArthurFrame(QWidget* parent = nullptr);

    // Subclasses draw here; the frame has cleared the widget first.
    virtual void paint(QPainter* painter);

    bool preferImage() const { return m_bPreferImage; }
    void setDescription(const QString& html);
    // The file showSource() shows; none by default.
    void setSourceFile(const QString& path) { m_sSourceFile = path; }

    // C++ source as HTML: &, < and > escaped; keywords olive, preprocessor
    // words, numbers navy, line comments red, string literals green.
    static QString SourceToHtml(const QString& source);

public slots:
    void setPreferImage(bool preferImage);
    void setDescriptionEnabled(bool enabled);
    void showSource();

signals:
    void descriptionEnabledChanged(bool enabled);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    bool m_bPreferImage = false;
    QString m_sDescription;
    QString m_sSourceFile;
    QTextBrowser* m_pDescription = nullptr;
};
