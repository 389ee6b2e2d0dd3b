#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include <osg/Vec4>

#include <string>

class CConfig;
class QDialog;
class QLabel;
class QScrollArea;
class ViewerQT;

// One model picture of a model bar: a 60 x 60 button for one model of the
// robot or playground builder. A left click asks the page to add the model
// (clicked1 with its address, kind and the default part colour); a right
// click opens a small popup with the model turning in 3-D; a middle click on
// a brick (kind 1, in a studio that lets bricks be coloured) opens three
// colour buttons, each of which adds the brick in its colour.
class CImageViewer : public QWidget {
    Q_OBJECT

public:
    static constexpr int kColourKind = 1;

    // image: the picture's path (relative paths lie in the program folder);
    // the previewed model is named after it. The default colour and the
    // studio's flag come from `config`, which must outlive the picture.
    CImageViewer(std::string address, QString image, int kind, const CConfig& config);

    // The model file a picture previews: "images/<name>.png" shows
    // "models/<name>.ive". Empty for a path too short to name one.
    static std::string ModelFileOf(const QString& image);

    // The second and third colours of the colour popup (the first is the
    // configuration's default part colour).
    static osg::Vec4 SecondColour() { return osg::Vec4(0.0f, 0.66667f, 0.498039f, 1.0f); }
    static osg::Vec4 ThirdColour() { return osg::Vec4(0.66667f, 0.333333f, 1.0f, 1.0f); }

    const std::string& GetAddress() const { return m_strAddress; }
    const QString& GetImage() const { return m_strImage; }
    int GetKind() const { return m_nKind; }
    QLabel* Label() const { return m_pLabel; }
    // The latest popups while they are open and remembered; null otherwise.
    QDialog* PreviewPopup() const;
    QDialog* ColourPopup() const;
    ViewerQT* Preview() const;

    QSize minimumSizeHint() const override { return QSize(70, 70); }

signals:
    void clicked1(std::string address, int kind, osg::Vec4 colour);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;

private slots:
    void slot_CloseBrickTurn(std::string file, int kind);
    void slot_ColorButton();
    void slot_ColorButton2();
    void slot_ColorButton3();

private:
    void OpenPreview();
    void OpenColours(const QPoint& globalPosition);
    void EmitColour(const osg::Vec4& colour);

    const CConfig& m_config;
    std::string m_strAddress;
    QString m_strImage;
    int m_nKind = 0;
    QScrollArea* m_pScrollArea = nullptr;
    QWidget* m_pContents = nullptr;
    QLabel* m_pLabel = nullptr;
    double m_dScaleFactor = 0.0;
    QPointer<QDialog> m_pPreviewPopup;
    QPointer<QDialog> m_pColourPopup;
    QPointer<ViewerQT> m_pPreview;
};
