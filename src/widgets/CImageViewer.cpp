#include "widgets/CImageViewer.h"

#include "foundation/CConfig.h"
#include "platform/ProgramDir.h"
#include "widgets/ViewerQT.h"

#include <QBitmap>
#include <QDialog>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

// Resource registration stays outside any namespace.
static void InitPictures() {
    static const bool done = [] {
        Q_INIT_RESOURCE(morvane_icons);
        return true;
    }();
    (void)done;
}

namespace {

constexpr Qt::WindowFlags kPopupFlags = Qt::Popup | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
const char* const kRounded = "border-radius: 4px;";

} // namespace

CImageViewer::CImageViewer(std::string address, QString image, int kind, const CConfig& config)
    : m_config(config)
    , m_strAddress(std::move(address))
    , m_strImage(std::move(image))
    , m_nKind(kind) {
    InitPictures();
    setMouseTracking(true);
    m_pScrollArea = new QScrollArea(this);
    m_pScrollArea->setObjectName(QStringLiteral("scrollArea"));
    m_pScrollArea->setGeometry(0, 0, 291, 201);
    m_pScrollArea->setLineWidth(9);
    m_pScrollArea->setWidgetResizable(true);
    m_pContents = new QWidget;
    m_pContents->setObjectName(QStringLiteral("scrollAreaWidgetContents"));
    m_pContents->setGeometry(0, 0, 291, 201);
    m_pScrollArea->setWidget(m_pContents);
    m_pLabel = new QLabel(m_pContents);
    m_pLabel->setObjectName(QStringLiteral("label"));
    m_pLabel->setGeometry(0, 0, 0, 0);

    const QImage picture(QString::fromStdString(platform::InProgramDir(m_strImage.toStdString()).string()));
    if (picture.isNull())
        return;
    m_pLabel->setPixmap(QPixmap::fromImage(picture));
    // The mask's transparent corners round the picture off.
    const QBitmap corners = QPixmap(QStringLiteral(":/Sorvik/images/1013/11.png")).mask();
    if (!corners.isNull())
        m_pLabel->setMask(corners);
    m_pLabel->adjustSize();
    m_dScaleFactor = 1.0;
    setWindowTitle(QStringLiteral("Image Viewer"));
    resize(60, 60);
    setMaximumSize(60, 60);
    for (QWidget* widget :
        { static_cast<QWidget*>(m_pLabel), static_cast<QWidget*>(m_pScrollArea), m_pContents })
        widget->setMouseTracking(true);
    for (QWidget* widget : { static_cast<QWidget*>(m_pLabel), static_cast<QWidget*>(m_pScrollArea),
             m_pContents, static_cast<QWidget*>(this) })
        widget->setStyleSheet(QLatin1String(kRounded));
}

std::string CImageViewer::ModelFileOf(const QString& image) {
    // "images/" before the name and the extension after it.
    if (image.size() < 11)
        return std::string();
    return "models/" + image.mid(7, image.size() - 11).toStdString() + ".ive";
}

QDialog* CImageViewer::PreviewPopup() const {
    return m_pPreviewPopup.data();
}

QDialog* CImageViewer::ColourPopup() const {
    return m_pColourPopup.data();
}

ViewerQT* CImageViewer::Preview() const {
    return m_pPreview.data();
}

void CImageViewer::mousePressEvent(QMouseEvent* event) {
    switch (event->button()) {
    case Qt::LeftButton:
        emit clicked1(m_strAddress, m_nKind, m_config.m_vPartColor);
        break;
    case Qt::RightButton:
        OpenPreview();
        break;
    case Qt::MiddleButton:
        if (m_nKind == kColourKind && !m_config.m_bIsE)
            OpenColours(event->globalPosition().toPoint());
        break;
    default:
        break;
    }
}

void CImageViewer::enterEvent(QEnterEvent* event) {
    QWidget::enterEvent(event);
    setCursor(Qt::OpenHandCursor);
    // The popup stays open; a left click in it no longer closes it.
    m_pPreviewPopup = nullptr;
}

void CImageViewer::OpenPreview() {
    auto* popup = new QDialog(this, kPopupFlags);
    popup->setAttribute(Qt::WA_DeleteOnClose);
    m_pPreviewPopup = popup;
    const QPoint corner = mapToGlobal(m_pScrollArea->pos()) - QPoint(5, 5);
    popup->setGeometry(corner.x(), corner.y(), 68, 68);
    auto* preview = new ViewerQT(popup, nullptr, {}, ModelFileOf(m_strImage), m_nKind);
    m_pPreview = preview;
    // The view fills the popup.
    preview->setGeometry(popup->rect());
    connect(preview, &ViewerQT::clicked1, this, &CImageViewer::slot_CloseBrickTurn);
    popup->setWindowOpacity(1.0);
    popup->show();
    setFocus(Qt::ActiveWindowFocusReason);
    setCursor(Qt::OpenHandCursor);
}

void CImageViewer::OpenColours(const QPoint& globalPosition) {
    auto* popup = new QDialog(this, kPopupFlags);
    m_pColourPopup = popup;
    popup->setStyleSheet(QLatin1String(kRounded));
    popup->setGeometry(globalPosition.x(), globalPosition.y(), 60, 60);
    popup->setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(popup);
    const std::pair<const char*, void (CImageViewer::*)()> buttons[] = {
        { "background-color: rgba(0,102,165,255);", &CImageViewer::slot_ColorButton },
        { "background-color: rgba(0,170,127,255);", &CImageViewer::slot_ColorButton2 },
        { "background-color: rgba(170,85,255,255);", &CImageViewer::slot_ColorButton3 },
    };
    for (const auto& [style, slot] : buttons) {
        auto* button = new QPushButton(popup);
        button->setFocusPolicy(Qt::NoFocus);
        button->setStyleSheet(QLatin1String(style));
        layout->addWidget(button);
        connect(button, &QPushButton::clicked, this, slot);
    }
    popup->show();
}

void CImageViewer::slot_CloseBrickTurn(std::string, int) {
    if (m_pPreviewPopup)
        m_pPreviewPopup->close();
}

void CImageViewer::EmitColour(const osg::Vec4& colour) {
    emit clicked1(m_strAddress, m_nKind, colour);
    if (m_pColourPopup)
        m_pColourPopup->close();
}

void CImageViewer::slot_ColorButton() {
    EmitColour(m_config.m_vPartColor);
}

void CImageViewer::slot_ColorButton2() {
    EmitColour(SecondColour());
}

void CImageViewer::slot_ColorButton3() {
    EmitColour(ThirdColour());
}
