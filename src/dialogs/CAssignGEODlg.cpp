#include "dialogs/CAssignGEODlg.h"

#include "dialogs/DialogTexts.h"
#include "elements/CModel.h"
#include "foundation/CConfig.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QSpacerItem>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// The element id a row stands for.
constexpr int kIdRole = Qt::UserRole;

} // namespace

CAssignGEODlg::CAssignGEODlg(osg::ref_ptr<CModel> element, std::vector<osg::ref_ptr<CModel>> playground,
    const QString& title, const CConfig& config, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowCloseButtonHint)
    , m_config(config)
    , m_element(std::move(element))
    , m_playground(std::move(playground)) {
    if (m_element)
        m_workingList = m_element->GetObjList();
    setWindowTitle(title);
    setModal(true);
    setFixedSize(350, 600);

    m_pTree = new QTreeWidget(this);
    m_pTree->setColumnCount(3);
    m_pTree->setRootIsDecorated(false);
    m_pTree->header()->setDefaultAlignment(Qt::AlignCenter);
    m_pTree->header()->resizeSection(0, 120);
    m_pTree->header()->resizeSection(1, 120);
    m_pTree->setSortingEnabled(true);
    m_pTree->sortByColumn(0, Qt::AscendingOrder);

    m_pButtonOK = new QPushButton(QStringLiteral("OK"), this);
    m_pButtonOK->setFixedSize(100, 25);
    m_pButtonOK->setDefault(true);
    m_pButtonNo = new QPushButton(QStringLiteral("Cancel"), this);
    m_pButtonNo->setFixedSize(100, 25);
    auto* buttons = new QHBoxLayout;
    buttons->addItem(new QSpacerItem(20, 1, QSizePolicy::Expanding));
    buttons->addWidget(m_pButtonOK);
    buttons->addItem(new QSpacerItem(20, 1, QSizePolicy::Expanding));
    buttons->addWidget(m_pButtonNo);
    buttons->addItem(new QSpacerItem(20, 1, QSizePolicy::Expanding));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pTree);
    layout->addLayout(buttons);

    QStringList headers = { QStringLiteral("Name"), QStringLiteral("Object"), QStringLiteral("Assigned") };
    const DialogTexts texts(m_config, "CAssignGEODlg", "f_Language");
    if (texts.Present()) {
        m_pButtonOK->setText(texts.Get("sOK"));
        m_pButtonNo->setText(texts.Get("sNo"));
        headers = { texts.Get("s0"), texts.Get("s1"), texts.Get("s2") };
    }
    m_pTree->setHeaderLabels(headers);

    connect(m_pTree, &QTreeWidget::itemClicked, this, &CAssignGEODlg::slot_ClickTree);
    connect(m_pButtonOK, &QPushButton::clicked, this, &CAssignGEODlg::slot_ButtonOK);
    connect(m_pButtonNo, &QPushButton::clicked, this, &CAssignGEODlg::slot_ButtonNo);
    FillTree();
}

CAssignGEODlg::~CAssignGEODlg() = default;

void CAssignGEODlg::FillTree() {
    m_pTree->clear();
    const QString mark = m_pTree->headerItem()->text(2);
    // Rows are added unsorted, so each stays where it was put until all are in.
    m_pTree->setSortingEnabled(false);
    for (const osg::ref_ptr<CModel>& model : m_playground) {
        if (!model || model->GetType() != kGeometryType)
            continue;
        const int id = model->GetId();
        const bool assigned = IsAssigned(id);
        auto* item = new QTreeWidgetItem(m_pTree);
        item->setText(0, m_config.GetObjName(model->GetAddress()));
        item->setText(1, model->GetObjName());
        item->setText(2, assigned ? mark : QString());
        item->setStatusTip(0, QString::number(id));
        item->setData(0, kIdRole, id);
    }
    m_pTree->setSortingEnabled(true);
    for (int column = 0; column < 3; ++column)
        m_pTree->resizeColumnToContents(column);
}

bool CAssignGEODlg::IsAssigned(int id) const {
    return std::find(m_workingList.begin(), m_workingList.end(), id) != m_workingList.end();
}

void CAssignGEODlg::slot_ClickTree(QTreeWidgetItem* item, int) {
    if (!item)
        return;
    const int id = item->data(0, kIdRole).toInt();
    // Whether the row is assigned is the list's to say, not the mark's: a
    // language may give the mark an empty text.
    const bool assigned = IsAssigned(id);
    if (!assigned) {
        for (const osg::ref_ptr<CModel>& model : m_playground) {
            if (model && model->GetId() == id)
                m_workingList.push_back(id);
        }
    } else {
        m_workingList.erase(std::remove(m_workingList.begin(), m_workingList.end(), id), m_workingList.end());
    }
    // The rows are the same objects as before: only their marks change. (The
    // tree is not rebuilt under the click that is still being delivered.)
    const QString mark = m_pTree->headerItem()->text(2);
    for (int i = 0; i < m_pTree->topLevelItemCount(); ++i) {
        QTreeWidgetItem* row = m_pTree->topLevelItem(i);
        const int rowId = row->data(0, kIdRole).toInt();
        const bool marked = IsAssigned(rowId);
        row->setText(2, marked ? mark : QString());
    }
    m_pTree->setCurrentItem(item);
}

void CAssignGEODlg::slot_ButtonOK() {
    if (m_element)
        m_element->SetObjList(m_workingList);
    accept();
}

void CAssignGEODlg::slot_ButtonNo() {
    reject();
}
