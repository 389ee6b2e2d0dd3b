// The robot page's wiring: the port tree, which lists every motor, sensor and
// light by kind with its port, and the part panel, which shows the selected
// part's kind, name, port and pose and wires it.
//
// Each row of the tree carries what it stands for: a kind row its port kind,
// a part row its part as well. Rows are found by that, never by their texts,
// which a language may leave empty or give twice.

#include "window/CMainDlg.h"

#include "apps/CRobApp.h"
#include "elements/CModel.h"
#include "elements/Geometry.h"
#include "foundation/CConfig.h"
#include "scene/Transform.h"
#include "widgets/MyPushButton.h"
#include "window/PortLabels.h"
#include "window/PoseBoxes.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QSlider>
#include <QTreeWidget>

#include <cmath>

namespace Ui {

namespace {

constexpr int kKindRole = Qt::UserRole;
constexpr int kPartRole = Qt::UserRole + 1;

int KindOf(const CModel* part) {
    return part ? window::PortKindOf(part->GetType(), part->GetSubType()) : window::kPortKindNone;
}

QString KindName(const std::vector<QString>& names, int kind) {
    return kind >= 0 && kind < int(names.size()) ? names[std::size_t(kind)] : QString();
}

const CModel* RowPart(const QTreeWidgetItem* row) {
    return reinterpret_cast<const CModel*>(row->data(0, kPartRole).value<quintptr>());
}

// The 1-based place of part among the parts of its kind, in list order; 0
// when the list does not hold it.
int PlaceInKind(const std::vector<osg::ref_ptr<CModel>>& parts, const CModel* part) {
    const int kind = KindOf(part);
    int count = 0;
    for (const osg::ref_ptr<CModel>& other : parts) {
        if (KindOf(other.get()) != kind)
            continue;
        ++count;
        if (other.get() == part)
            return count;
    }
    return 0;
}

// Fills the port box for a part of that kind; the panel is not live
// meanwhile, so the box's own signals change nothing.
void FillPortBox(QComboBox* combo, QCheckBox* opposite, QLabel* rayLabel, QLineEdit* rayEdit,
    const CModel* part, int kind, bool isE) {
    combo->clear();
    combo->addItem(QString());
    combo->addItems(window::PortChoices(kind, isE));
    combo->setCurrentIndex(part->GetPort());
    opposite->setVisible(kind == window::kPortKindMotor);
    opposite->setChecked(kind == window::kPortKindMotor && part->GetOpposite() != 0);
    rayLabel->hide();
    rayEdit->hide();
}

} // namespace

QTreeWidgetItem* CMainDlg::PortTreeRow(const CModel* part) const {
    const int kind = KindOf(part);
    for (int i = 0; i < treeWidget->topLevelItemCount(); ++i) {
        QTreeWidgetItem* kindRow = treeWidget->topLevelItem(i);
        if (kindRow->data(0, kKindRole).toInt() != kind)
            continue;
        for (int j = 0; j < kindRow->childCount(); ++j) {
            if (RowPart(kindRow->child(j)) == part)
                return kindRow->child(j);
        }
    }
    return nullptr;
}

void CMainDlg::f_Ui_UpdatePort() {
    slot_NoSel();
    treeWidget->clear();
    std::vector<QString> names;
    f_SensorMessage(names);
    const bool isE = m_config.m_bIsE;
    for (const osg::ref_ptr<CModel>& part : m_pRobApp->GetPartList()) {
        const int kind = KindOf(part.get());
        if (kind == window::kPortKindNone)
            continue;
        QTreeWidgetItem* kindRow = nullptr;
        for (int i = 0; i < treeWidget->topLevelItemCount() && !kindRow; ++i) {
            if (treeWidget->topLevelItem(i)->data(0, kKindRole).toInt() == kind)
                kindRow = treeWidget->topLevelItem(i);
        }
        if (!kindRow) {
            kindRow = new QTreeWidgetItem(treeWidget);
            kindRow->setText(0, KindName(names, kind));
            kindRow->setData(0, kKindRole, kind);
        }
        auto* row = new QTreeWidgetItem(kindRow);
        row->setText(0, KindName(names, kind) + QString::number(kindRow->childCount()));
        row->setText(1, window::PortText(part->GetPort(), kind, isE, KindName(names, 0)));
        row->setData(0, kKindRole, kind);
        row->setData(0, kPartRole, QVariant::fromValue(quintptr(part.get())));
    }
    treeWidget->expandAll();
    for (int column = 0; column < 4; ++column)
        treeWidget->resizeColumnToContents(column);
}

void CMainDlg::f_SetPort() {
    if (!m_bRobPanelLive)
        return;
    const int index = comboBox_PartPort->currentIndex();
    if (index < 0)
        return;
    std::vector<QString> names;
    f_SensorMessage(names);
    CModel* selected = m_pRobApp->GetSingleSel();
    if (!selected)
        return;
    const int kind = KindOf(selected);
    const bool isE = m_config.m_bIsE;
    if (index > 0) {
        for (const osg::ref_ptr<CModel>& other : m_pRobApp->GetPartList()) {
            if (other.get() != selected && other->GetPort() == index
                && window::PortKindsClash(kind, KindOf(other.get()), isE)) {
                // Only a warning: the student may be rewiring one part after
                // the other.
                m_config.ShowTips("CMainDlg", "slot_SetPort", "s");
                break;
            }
        }
    }
    const bool opposite = checkBox_Opposite->isChecked();
    // The ray distance row is not offered: a part keeps its own distance
    // unless one is typed there.
    bool typed = false;
    int ray = lineEdit_RayDis->text().toInt(&typed, 10);
    if (lineEdit_RayDis->isHidden() || !typed)
        ray = selected->GetRayDis();
    m_pRobApp->SetPort(index, opposite, ray);

    if (kind == window::kPortKindNone)
        return;
    if (QTreeWidgetItem* row = PortTreeRow(selected)) {
        row->setText(1, window::PortText(index, kind, isE, KindName(names, 0)));
        return;
    }
    // A tree that lost track of the robot is built again, and the panel
    // shows the part once more.
    f_Ui_UpdatePort();
    if (m_pRobApp->GetSingleSel() == selected)
        f_ShowRobAppPartPanel();
}

void CMainDlg::slot_Port_RobApp(int) {
    f_SetPort();
}

void CMainDlg::slot_Opposite_RobApp(int) {
    f_SetPort();
}

void CMainDlg::slot_RobApp_ChangeRayDis() {
    f_SetPort();
}

void CMainDlg::slot_ClearPort() {
    m_pRobApp->SetPort(-1, false, 0);
}

void CMainDlg::slot_ButtonPortSet() {
    for (MyPushButton* button : { pushButton_ModelBrick, pushButton_ModelWheel, pushButton_ModelSenRcu })
        button->setChecked(false);
    for (QScrollArea* area : { scrollArea_ModelBrick, scrollArea_ModelWheel, scrollArea_ModelSenRcu })
        area->hide();
    pushButton_PortSet->setChecked(true);
    scrollArea_PortSet->show();
}

void CMainDlg::f_Ui_SelTreeToObj(QTreeWidgetItem* item, int) {
    if (!item)
        return;
    groupBox_5->show();
    treeWidget->setFocus(Qt::ActiveWindowFocusReason);
    treeWidget->setCurrentItem(item);
    // Kind rows have no parent; their part rows name a part.
    if (!item->parent()) {
        slot_NoSel();
        return;
    }
    const CModel* wanted = RowPart(item);
    CModel* part = nullptr;
    for (const osg::ref_ptr<CModel>& candidate : m_pRobApp->GetPartList()) {
        if (candidate.get() == wanted)
            part = candidate.get();
    }
    if (!part) {
        slot_NoSel();
        return;
    }
    m_pRobApp->SetSelected(part, false);
    if (m_pRobApp->GetSingleSel() != part) {
        slot_NoSel();
        return;
    }
    double fields[6];
    window::PoseFields(part, fields);
    m_bRobPanelLive = false;
    QLineEdit* const edits[6] = { lineEdit_RobPosX, lineEdit_RobPosY, lineEdit_RobPosZ, lineEdit_RobTurnX,
        lineEdit_RobTurnY, lineEdit_RobTurnZ };
    for (int i = 0; i < 6; ++i)
        edits[i]->setText(window::PoseText(fields[i]));
    groupBox_RobPos->show();
    lineEdit_PartType->setText(item->parent()->text(0));
    lineEdit_PartName->setText(item->text(0));
    FillPortBox(comboBox_PartPort, checkBox_Opposite, label_RayDis, lineEdit_RayDis, part, KindOf(part),
        m_config.m_bIsE);
    groupBox_5->show();
    m_bRobPanelLive = true;
}

void CMainDlg::f_ShowRobAppPartPanel() {
    const CModel* part = m_pRobApp->GetSingleSel();
    if (!part)
        return;
    m_bRobPanelLive = false;
    window::ShowPose(part,
        { lineEdit_RobPosX, lineEdit_RobPosY, lineEdit_RobPosZ, lineEdit_RobTurnX, lineEdit_RobTurnY,
            lineEdit_RobTurnZ },
        { slider_RobTurnX, slider_RobTurnY, slider_RobTurnZ });
    groupBox_RobPos->show();
    slot_ButtonPortSet();

    const int kind = KindOf(part);
    if (kind == window::kPortKindNone) {
        groupBox_5->hide();
        m_bRobPanelLive = true;
        return;
    }
    lineEdit_PartType->clear();
    lineEdit_PartName->clear();
    FillPortBox(
        comboBox_PartPort, checkBox_Opposite, label_RayDis, lineEdit_RayDis, part, kind, m_config.m_bIsE);
    groupBox_5->show();
    m_bRobPanelLive = true;

    std::vector<QString> names;
    f_SensorMessage(names);
    const QString kindName = KindName(names, kind);
    lineEdit_PartType->setText(kindName);
    lineEdit_PartName->setText(kindName + QString::number(PlaceInKind(m_pRobApp->GetPartList(), part)));
    if (QTreeWidgetItem* row = PortTreeRow(part))
        treeWidget->setCurrentItem(row);
}

} // namespace Ui
