#include "widgets/ViewerQT.h"

#include "scene/ModelCache.h"
#include "widgets/BrickCallBack.h"

#include <QMouseEvent>
#include <QTimer>

#include <osg/Group>
#include <osg/Material>
#include <osg/MatrixTransform>
#include <osg/Viewport>
#include <osgGA/TrackballManipulator>
#include <osgViewer/Viewer>

#include <algorithm>
#include <cstdio>

namespace {

osg::Matrixd Rx(double degrees) {
    return osg::Matrixd::rotate(osg::DegreesToRadians(degrees), osg::X_AXIS);
}

osg::Matrixd Rz(double degrees) {
    return osg::Matrixd::rotate(osg::DegreesToRadians(degrees), osg::Z_AXIS);
}

} // namespace

osg::Matrixd ViewerQT::KindMatrix(int kind) {
    switch (kind) {
    case 100:
    case 105:
        return Rx(45) * Rz(30) * osg::Matrixd::scale(0.8, 0.87, 0.81);
    case 18:
        return Rx(30) * Rz(180);
    case 10:
    case 13:
        return Rz(145);
    case 2:
        return Rz(30);
    case 103:
    case 104:
    case 109:
    case 110:
    case 113:
        return Rx(45) * Rz(30) * osg::Matrixd::scale(1, 1, 0.1);
    case 101:
        return Rx(45) * Rz(30) * osg::Matrixd::scale(1.7, 1.3, 0.5);
    case 111:
        return Rx(45) * Rz(30) * osg::Matrixd::scale(1, 1, 0.2);
    default:
        return Rx(45) * Rz(30);
    }
}

ViewerQT::ViewerQT(
    QWidget* parent, const QOpenGLWidget* shareWidget, Qt::WindowFlags flags, std::string file, int kind)
    : AdapterWidget(parent, shareWidget, flags)
    , m_strFile(std::move(file))
    , m_nKind(kind)
    , m_viewer(new osgViewer::Viewer) {
    SetButtonMapping(ButtonMapping::Preview);
    std::printf("类型--%d\n", kind);
    std::fflush(stdout);

    osg::Camera* camera = m_viewer->getCamera();
    camera->setViewport(new osg::Viewport(0, 0, width(), height()));
    // A view not laid out yet may have no height: its shape is then square.
    camera->setProjectionMatrixAsPerspective(
        30.0, double(width()) / double(std::max(height(), 1)), 1.0, 10000.0);
    camera->setGraphicsContext(getGraphicsWindow());
    camera->setClearColor(osg::Vec4(211.0f / 255.0f, 228.0f / 255.0f, 238.0f / 255.0f, 1.0f));

    // Relative files lie in the program folder; the copy is the view's own,
    // so colouring it leaves every other use of the model alone.
    if (!m_strFile.empty())
        m_model = scene::ModelCache::Shared().Load(m_strFile);

    osg::ref_ptr<osg::Group> root = new osg::Group;
    m_pTransform = new osg::MatrixTransform(KindMatrix(kind));
    if (m_model)
        m_pTransform->addChild(m_model);
    root->addChild(m_pTransform);
    if (kind == 2) {
        std::puts("14");
        std::fflush(stdout);
    }
    if (kind == 1)
        ApplyPreviewMaterial();

    m_viewer->setCameraManipulator(new osgGA::TrackballManipulator);
    m_viewer->setSceneData(root);
    m_viewer->setThreadingModel(osgViewer::ViewerBase::SingleThreaded);
    m_viewer->realize();
    SetViewer(m_viewer.get(), PaintMode::FullFrame);
    update();

    m_pTransform->setUpdateCallback(new BrickCallBack);

    m_pTimer = new QTimer(this);
    connect(m_pTimer, &QTimer::timeout, this, qOverload<>(&QWidget::update));
    m_pTimer->start(1);
    setCursor(Qt::OpenHandCursor);
}

ViewerQT::~ViewerQT() {
    m_pTimer->stop();
    m_model = nullptr;
    // The GL objects the viewer made go while its context is still there.
    SetViewer(nullptr);
    m_viewer = nullptr;
}

void ViewerQT::ApplyPreviewMaterial() {
    // Blue, as the bricks of the robot page are shown before they get a
    // colour of their own.
    osg::StateSet* stateSet = m_model ? m_model->getStateSet() : nullptr;
    if (!stateSet)
        return;
    auto* material = dynamic_cast<osg::Material*>(stateSet->getAttribute(osg::StateAttribute::MATERIAL, 0));
    osg::ref_ptr<osg::Material> blue = material ? material : new osg::Material;
    const osg::Vec4 colour(0.0f, 157.0f / 255.0f, 1.0f, 1.0f);
    blue->setAmbient(osg::Material::FRONT_AND_BACK, colour);
    blue->setDiffuse(osg::Material::FRONT_AND_BACK, colour);
    blue->setSpecular(osg::Material::FRONT_AND_BACK, osg::Vec4(0.0720721f, 0.0720721f, 0.0720721f, 1.0f));
    blue->setEmission(osg::Material::FRONT_AND_BACK, osg::Vec4(0.0f, 0.0f, 0.0f, 1.0f));
    blue->setShininess(osg::Material::FRONT_AND_BACK, 35.84f);
    stateSet->setAttribute(blue);
}

void ViewerQT::mousePressEvent(QMouseEvent* event) {
    AdapterWidget::mousePressEvent(event);
    if (GetButton() == 0)
        emit clicked1(m_strFile, m_nKind);
}

void ViewerQT::enterEvent(QEnterEvent* event) {
    AdapterWidget::enterEvent(event);
    m_pTimer->stop();
    m_pTimer->start(30);
}
