#pragma once

#include "apps/AdapterWidget.h"

#include <osg/Matrixd>
#include <osg/ref_ptr>

#include <string>

class QTimer;

namespace osg {
class MatrixTransform;
class Node;
} // namespace osg
namespace osgViewer {
class Viewer;
}

// A small view of one model turning on its own: the 3-D content of a model
// picture's preview popup. The model is read from its file, placed by a
// matrix that depends on its kind, and turned by BrickCallBack from the
// first frame on. A left click reports the model (clicked1); the right and
// middle buttons turn and move it (the trackball's buttons 1 and 2).
//
// The view draws with a viewer of its own, a whole frame per paint, which a
// timer asks for every millisecond (every 30 once the pointer has come in).
class ViewerQT : public AdapterWidget {
    Q_OBJECT

public:
    // A file that can't be read (or an empty one) leaves the view showing
    // only its background. The share widget and flags go to the adapter.
    ViewerQT(
        QWidget* parent, const QOpenGLWidget* shareWidget, Qt::WindowFlags flags, std::string file, int kind);
    ~ViewerQT() override;

    // The transform of a kind's model before the turntable takes over.
    static osg::Matrixd KindMatrix(int kind);

    const std::string& GetFile() const { return m_strFile; }
    int GetKind() const { return m_nKind; }
    osgViewer::Viewer* GetViewer() const { return m_viewer.get(); }
    osg::MatrixTransform* GetModelTransform() const { return m_pTransform; }
    osg::Node* GetModel() const { return m_model.get(); }
    QTimer* GetFrameTimer() const { return m_pTimer; }

    QSize sizeHint() const override { return QSize(70, 70); }
    QSize minimumSizeHint() const override { return QSize(70, 70); }

signals:
    // The model file as given and the kind, on a left click.
    void clicked1(std::string file, int kind);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;

private:
    void ApplyPreviewMaterial();

    std::string m_strFile;
    int m_nKind = 0;
    QTimer* m_pTimer = nullptr;
    // Owned by the scene graph under the viewer.
    osg::MatrixTransform* m_pTransform = nullptr;
    osg::ref_ptr<osg::Node> m_model;
    osg::ref_ptr<osgViewer::Viewer> m_viewer;
};
