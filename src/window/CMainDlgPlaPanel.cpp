// The playground page's side panel and commands: the selected object's size,
// pose and settings (name, score, trigger mode, flags, assigned objects),
// the scoring rules, the object groups and the ground picture.
//
// While the panel is filled from the selection it is not live: the widgets'
// own signals, raised by the filling, must not come back as edits.

#include "window/CMainDlg.h"

#include "apps/CPlaApp.h"
#include "apps/SEditState.h"
#include "dialogs/CAssignGEODlg.h"
#include "dialogs/CRuleDlg.h"
#include "dialogs/TypedNumber.h"
#include "elements/CModel.h"
#include "elements/Geometry.h"
#include "foundation/CConfig.h"
#include "platform/WholeFile.h"
#include "scene/Transform.h"
#include "simulation/CTrigger.h"
#include "simulation/GroundPicture.h"
#include "widgets/CBrickBox.h"
#include "widgets/CImageViewer.h"
#include "window/PoseBoxes.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

#include <algorithm>
#include <climits>

namespace Ui {

namespace {

constexpr int kMinSize = 1;
constexpr int kMaxSize = 256;

// The whole-number sizes the panel shows of a scale.
struct Sizes {
    int axis[3];
    int Largest() const { return std::max({ axis[0], axis[1], axis[2] }); }
};

// Whole parts of the scale, forgiving float noise: a scale stored as
// 2.9999998 is the 3 it was meant to be, not 2.
Sizes SizesOf(const osg::Vec3f& scale) {
    const auto whole = [](float axis) { return int(TruncateForgiving(axis)); };
    return { { whole(scale.x()), whole(scale.y()), whole(scale.z()) } };
}

} // namespace

// ---- filling the panel ----------------------------------------------------------------------

void CMainDlg::f_ShowPlaAppObjectPanel(bool bringForward) {
    CModel* object = m_pPlaApp->GetSingleSel();
    if (!object)
        return;
    m_bPlaPanelLive = false;
    ShowPlaPose(object);
    groupBox_PlaPos->show();
    if (bringForward)
        slot_ButtonGroundSetSize();

    const int type = object->GetType();
    if (type == ModelTypeCandle || type == ModelTypeWounded || type == ModelTypeTakenObj
        || type == ModelTypeAlarm) {
        // These keep their model's size and have no settings.
        widget_SetSize->hide();
        groupBox_PlaObj->hide();
        m_bPlaPanelLive = true;
        return;
    }

    const Sizes sizes = SizesOf(object->GetState().m_vScale);
    QSlider* const sizeSliders[3] = { XSlider, YSlider, ZSlider };
    QLineEdit* const sizeEdits[3] = { lineEdit_XSlider, lineEdit_YSlider, lineEdit_ZSlider };
    for (int i = 0; i < 3; ++i) {
        sizeSliders[i]->setValue(sizes.axis[i]);
        sizeEdits[i]->setText(QString::number(sizes.axis[i]));
    }
    AllSlider->setValue(sizes.Largest());

    const bool trigger = type == ModelTypeTrigger;
    const bool geometry = type == ModelTypeGeo;
    const int sub = trigger ? object->GetSubType() : -1;
    const bool path = sub == TriggerPath;
    const bool delivery = sub == TriggerDelivery;

    widget_SetSize->show();
    // A zone is flat: only its ground plan has a size.
    for (QWidget* widget : std::initializer_list<QWidget*> { ZSlider, AllSlider, lineEdit_ZSlider })
        widget->setEnabled(!trigger);
    groupBox_PlaObj->setVisible(trigger || geometry);
    label_PlaObjName->setVisible(geometry);
    lineEdit_PlaObjName->setVisible(geometry);
    checkBox_Take->setVisible(geometry);
    checkBox_Only->setVisible(delivery);
    pushButton_PlaObjModels->setVisible(delivery);

    QCheckBox* const astronauts[4]
        = { checkBox_Astronaut, checkBox_RedAstronaut, checkBox_YellowAstronaut, checkBox_BlueAstronaut };
    QRadioButton* const modes[3] = { radioButton_AllIn, radioButton_In, radioButton_Leave };
    if (geometry) {
        lineEdit_PlaObjName->setText(object->GetObjName());
        checkBox_Take->setChecked(object->GetTake() != 0);
        for (QCheckBox* box : astronauts)
            box->hide();
        label_PlaObjScore->hide();
        lineEdit_PlaObjScore->hide();
        for (QRadioButton* mode : modes)
            mode->hide();
    } else if (trigger) {
        const CModelState& state = object->GetState();
        for (int i = 0; i < 4; ++i) {
            astronauts[i]->setChecked(state.m_cFlag[i] != 0);
            astronauts[i]->setVisible(sub == TriggerRescue);
        }
        // Start and touch zones give no score.
        const bool scored = sub != TriggerStart && sub != TriggerTouch;
        label_PlaObjScore->setVisible(scored);
        lineEdit_PlaObjScore->setVisible(scored);
        if (scored)
            lineEdit_PlaObjScore->setText(QString::number(object->GetScore()));
        // A path counts as it is driven along, however the robot lies in it.
        for (QRadioButton* mode : modes)
            mode->setVisible(!path);
        if (!path) {
            const int mode = object->GetTriggerMode();
            modes[mode == 0 ? 0 : (mode == 1 ? 1 : 2)]->setChecked(true);
        }
        if (delivery)
            checkBox_Only->setChecked(object->GetOnly() != 0);
    }
    m_bPlaPanelLive = true;
}

bool CMainDlg::PlaPanelWanted() const {
    if (CurrentPage() != PlaygroundPage || !m_pPlaApp->GetSingleSel())
        return false;
    const SEditState& edit = m_pPlaApp->GetEditState();
    return !edit.m_bCarrying && !edit.m_bRotating;
}

void CMainDlg::HidePlaPanel() {
    m_bPlaPanelLive = false;
    widget_SetSize->hide();
    groupBox_PlaObj->hide();
    groupBox_PlaPos->hide();
}

void CMainDlg::ShowPlaPose(const CModel* object) {
    window::ShowPose(object,
        { lineEdit_PlaPosX, lineEdit_PlaPosY, lineEdit_PlaPosZ, lineEdit_PlaTurnX, lineEdit_PlaTurnY,
            lineEdit_PlaTurnZ },
        { slider_PlaTurnX, slider_PlaTurnY, slider_PlaTurnZ });
}

// ---- size ------------------------------------------------------------------------------------

void CMainDlg::f_SliderChangeSize(int axis, int value) {
    if (!m_bPlaPanelLive || axis < 0 || axis > 2)
        return;
    CModel* object = m_pPlaApp->GetSingleSel();
    if (!object)
        return;
    m_bPlaPanelLive = false;
    osg::Vec3f scale = object->GetState().m_vScale;
    scale[axis] = float(std::clamp(value, kMinSize, kMaxSize));
    QLineEdit* const edits[3] = { lineEdit_XSlider, lineEdit_YSlider, lineEdit_ZSlider };
    edits[axis]->setText(QString::number(value));
    AllSlider->setValue(SizesOf(scale).Largest());
    m_pPlaApp->SetSelScale(scale.x(), scale.y(), scale.z());
    // The object keeps its bottom where it was: its centre moves.
    if (const CModel* resized = m_pPlaApp->GetSingleSel())
        ShowPlaPose(resized);
    m_bPlaPanelLive = true;
}

void CMainDlg::slot_XSliderValueChange(int value) {
    f_SliderChangeSize(0, value);
}

void CMainDlg::slot_YSliderValueChange(int value) {
    f_SliderChangeSize(1, value);
}

void CMainDlg::slot_ZSliderValueChange(int value) {
    f_SliderChangeSize(2, value);
}

void CMainDlg::f_EditBoxChangeSize(int axis) {
    if (!m_bPlaPanelLive || axis < 0 || axis > 2)
        return;
    CModel* object = m_pPlaApp->GetSingleSel();
    if (!object)
        return;
    m_bPlaPanelLive = false;
    QLineEdit* const edits[3] = { lineEdit_XSlider, lineEdit_YSlider, lineEdit_ZSlider };
    QSlider* const sliders[3] = { XSlider, YSlider, ZSlider };
    // No number, or none above 0, is the smallest size.
    const int value = std::max(kMinSize, dialogs::TypedNumber(edits[axis]->text(), kMinSize, kMaxSize));
    osg::Vec3f scale = object->GetState().m_vScale;
    scale[axis] = float(value);
    sliders[axis]->setValue(value);
    AllSlider->setValue(SizesOf(scale).Largest());
    m_pPlaApp->SetSelScale(scale.x(), scale.y(), scale.z());
    m_pPlaApp->KeepSelOnGround(false);
    if (const CModel* resized = m_pPlaApp->GetSingleSel())
        ShowPlaPose(resized);
    m_bPlaPanelLive = true;
}

void CMainDlg::slot_lineEdit_XSliderValueChange() {
    f_EditBoxChangeSize(0);
}

void CMainDlg::slot_lineEdit_YSliderValueChange() {
    f_EditBoxChangeSize(1);
}

void CMainDlg::slot_lineEdit_ZSliderValueChange() {
    f_EditBoxChangeSize(2);
}

void CMainDlg::slot_AllSlider(int value) {
    if (!m_bPlaPanelLive)
        return;
    CModel* object = m_pPlaApp->GetSingleSel();
    if (!object)
        return;
    m_bPlaPanelLive = false;
    Sizes sizes = SizesOf(object->GetState().m_vScale);
    // An object smaller than 1 on every axis (a model of its own size) is
    // scaled as if it were 1 on each: the proportions below have no
    // largest side to keep.
    if (sizes.Largest() <= 0)
        sizes = { { 1, 1, 1 } };
    const int largest = sizes.Largest();
    const int half = largest / 2;
    QSlider* const sliders[3] = { XSlider, YSlider, ZSlider };
    QLineEdit* const edits[3] = { lineEdit_XSlider, lineEdit_YSlider, lineEdit_ZSlider };
    for (int i = 0; i < 3; ++i) {
        sizes.axis[i] = std::max(1, (value * sizes.axis[i] + half) / largest);
        sliders[i]->setValue(sizes.axis[i]);
        edits[i]->setText(QString::number(sizes.axis[i]));
    }
    m_pPlaApp->SetSelScale(float(sizes.axis[0]), float(sizes.axis[1]), float(sizes.axis[2]));
    if (const CModel* resized = m_pPlaApp->GetSingleSel())
        ShowPlaPose(resized);
    m_bPlaPanelLive = true;
}

// ---- settings of zones and loaded models ----------------------------------------------------

void CMainDlg::f_SetTriggerScoreMode() {
    CModel* object = m_pPlaApp->GetSingleSel();
    if (!m_bPlaPanelLive || !object || object->GetType() != ModelTypeTrigger)
        return;
    m_bPlaPanelLive = false;
    const int sub = object->GetSubType();
    int score = object->GetScore();
    int mode = object->GetTriggerMode();
    if (sub != TriggerStart && sub != TriggerTouch)
        score = dialogs::TypedNumber(lineEdit_PlaObjScore->text(), INT_MIN, INT_MAX);
    if (sub != TriggerPath)
        mode = radioButton_AllIn->isChecked() ? 0 : (radioButton_In->isChecked() ? 1 : 2);
    // Leaving the score box as it was is no edit.
    if (score != object->GetScore() || mode != object->GetTriggerMode()) {
        object->GetState().m_nScore = score;
        object->SetTriggerMode(mode);
        m_pPlaApp->KeepSelOnGround(false);
    }
    m_bPlaPanelLive = true;
}

void CMainDlg::slot_RadioButtonAllIn() {
    f_SetTriggerScoreMode();
}

void CMainDlg::slot_RadioButtonIn() {
    f_SetTriggerScoreMode();
}

void CMainDlg::slot_RadioLeave() {
    f_SetTriggerScoreMode();
}

void CMainDlg::slot_SetScore() {
    f_SetTriggerScoreMode();
}

void CMainDlg::f_SetAstronautFlag(int index) {
    CModel* object = m_pPlaApp->GetSingleSel();
    if (!m_bPlaPanelLive || !object || index < 0 || index > 3 || object->GetType() != ModelTypeTrigger
        || object->GetSubType() != TriggerRescue)
        return;
    m_bPlaPanelLive = false;
    QCheckBox* const boxes[4]
        = { checkBox_Astronaut, checkBox_RedAstronaut, checkBox_YellowAstronaut, checkBox_BlueAstronaut };
    object->GetState().m_cFlag[index] = boxes[index]->isChecked() ? 1 : 0;
    m_pPlaApp->KeepSelOnGround(false);
    m_bPlaPanelLive = true;
}

void CMainDlg::slot_Astronaut(int) {
    f_SetAstronautFlag(0);
}

void CMainDlg::slot_RedAstronaut(int) {
    f_SetAstronautFlag(1);
}

void CMainDlg::slot_YellowAstronaut(int) {
    f_SetAstronautFlag(2);
}

void CMainDlg::slot_BlueAstronaut(int) {
    f_SetAstronautFlag(3);
}

void CMainDlg::slot_SetName() {
    CModel* object = m_pPlaApp->GetSingleSel();
    if (!m_bPlaPanelLive || !object || object->GetType() != ModelTypeGeo)
        return;
    const QString name = lineEdit_PlaObjName->text();
    if (name == object->GetObjName())
        return;
    m_bPlaPanelLive = false;
    object->SetObjName(name);
    m_pPlaApp->KeepSelOnGround(false);
    m_bPlaPanelLive = true;
}

void CMainDlg::slot_Take(int) {
    CModel* object = m_pPlaApp->GetSingleSel();
    if (!m_bPlaPanelLive || !object)
        return;
    m_bPlaPanelLive = false;
    object->SetTake(checkBox_Take->isChecked() ? 1 : 0);
    m_pPlaApp->KeepSelOnGround(false);
    m_bPlaPanelLive = true;
}

void CMainDlg::slot_Only(int) {
    CModel* object = m_pPlaApp->GetSingleSel();
    if (!m_bPlaPanelLive || !object)
        return;
    m_bPlaPanelLive = false;
    object->SetOnly(checkBox_Only->isChecked() ? 1 : 0);
    m_pPlaApp->KeepSelOnGround(false);
    m_bPlaPanelLive = true;
}

void CMainDlg::slot_ButtonGEO() {
    CModel* object = m_pPlaApp->GetSingleSel();
    if (!object)
        return;
    CAssignGEODlg dialog(object, m_pPlaApp->GetObjectList(), pushButton_PlaObjModels->text(), m_config, this);
    if (dialog.exec() == QDialog::Accepted)
        m_pPlaApp->KeepSelOnGround(false);
}

// ---- commands of the page ----------------------------------------------------------------------

void CMainDlg::slot_Rule() {
    // One row per button of the robot page's sensor bar, whose order the
    // limits follow.
    QStringList rows;
    if (const CBrickBox* sensors = RobotPartBar(2)) {
        for (const CImageViewer* picture : sensors->GetPictures())
            rows << picture->toolTip();
    }
    // The dialog edits a copy: the playground changes only when the user
    // says OK, and is then unsaved.
    std::vector<int> rules = m_pPlaApp->GetRuleList();
    CRuleDlg dialog(rows, rules, m_pRuleAction->text(), true, m_config, this);
    if (dialog.exec() == QDialog::Accepted)
        m_pPlaApp->SetRuleList(rules);
}

void CMainDlg::slot_ButtonWalls() {
    if (m_pPlaApp->InsertGroup(0))
        action_ModelPaste->setEnabled(true);
}

void CMainDlg::slot_ButtonDominoes() {
    if (m_pPlaApp->InsertGroup(1))
        action_ModelPaste->setEnabled(true);
}

void CMainDlg::slot_Ground_changeMap() {
    const QString folder = m_sGroundPicture.isEmpty() ? m_config.InProgramDir(QStringLiteral("map"))
                                                      : QFileInfo(m_sGroundPicture).path();
    // Every format the builder reads is offered; the playground keeps the
    // picture as PNG.
    QStringList patterns;
    for (const QByteArray& format : QImageReader::supportedImageFormats())
        patterns << QStringLiteral("*.") + QString::fromLatin1(format);
    const auto text = [this](const char* key) { return m_config.GetText("CMainDlg", "f_MapPixWrong", key); };
    const QString file = QFileDialog::getOpenFileName(this, f_OpenFileMessage(), folder,
        text("sFilter") + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')'));
    if (file.isEmpty())
        return;
    m_sGroundPicture = file;
    const GroundPicture::Check check = m_pPlaApp->ChangeGroundImage(QFile::encodeName(file).toStdString());
    const QString reason = QString::fromLocal8Bit(platform::SystemReason(check.systemError).c_str());
    QString why;
    switch (check.fault) {
    case GroundPicture::Fault::None:
        return;
    case GroundPicture::Fault::WrongSize:
        why = text("s") + QLatin1Char('\n') + text("sSize").arg(check.width).arg(check.height);
        break;
    case GroundPicture::Fault::NoPicture:
        why = text("sNoPicture");
        break;
    case GroundPicture::Fault::Unreadable:
        why = text("sUnreadable").arg(reason);
        break;
    case GroundPicture::Fault::NotStored:
        why = text("sNotStored").arg(reason);
        break;
    }
    m_config.f_TipsDlg(why + QLatin1Char('\n') + QDir::toNativeSeparators(file));
}

} // namespace Ui
