#include "widgets/CBrickBox.h"

#include "foundation/CConfig.h"
#include "widgets/CImageViewer.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QSpacerItem>
#include <QVBoxLayout>

#include <tinyxml.h>

CBrickBox::CBrickBox(const TiXmlElement* list, const CConfig& config, QWidget* parent)
    : QWidget(parent)
    , m_config(config) {
    setWindowTitle(QStringLiteral("Textures"));
    auto* horizontal = new QHBoxLayout(this);
    horizontal->setObjectName(QStringLiteral("horizontalLayout"));
    auto* vertical = new QVBoxLayout;
    vertical->setObjectName(QStringLiteral("verticalLayout"));
    horizontal->addLayout(vertical);
    m_pGrid = new QGridLayout;
    m_pGrid->setObjectName(QStringLiteral("gridLayout"));
    vertical->addLayout(m_pGrid);
    // Keeps the pictures at the top of a tall bar.
    vertical->addItem(new QSpacerItem(20, 448, QSizePolicy::Minimum, QSizePolicy::Expanding));
    if (!list)
        return;

    int n = 0;
    for (const TiXmlElement* obj = list->FirstChildElement("obj"); obj;
         obj = obj->NextSiblingElement("obj")) {
        int special = 0;
        obj->QueryIntAttribute("special", &special);
        const char* address = obj->Attribute("address");
        if (!address || !*address)
            continue;
        const char* image = obj->Attribute("image");
        if (!image || !*image)
            continue;
        int kind = 0;
        obj->QueryIntAttribute("type", &kind);
        auto* picture = new CImageViewer(address, QString::fromUtf8(image), kind, m_config);
        m_vecPictures.push_back(picture);
        m_pGrid->addWidget(picture, n / 3, n % 3);
        ++n;
    }
}

void CBrickBox::f_Language() {
    for (CImageViewer* picture : m_vecPictures) {
        const QString name = m_config.GetObjName(picture->GetAddress());
        picture->setToolTip(name);
        picture->setStatusTip(name);
    }
}

std::vector<std::string> CBrickBox::SensorModelAddresses() const {
    std::vector<std::string> addresses;
    addresses.reserve(m_vecPictures.size());
    for (const CImageViewer* picture : m_vecPictures)
        addresses.push_back(picture->GetAddress());
    return addresses;
}
