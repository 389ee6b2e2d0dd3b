#pragma once

#include "simulation/SensorModelTable.h"

#include <QWidget>

#include <string>
#include <vector>

class CConfig;
class CImageViewer;
class QGridLayout;
class TiXmlElement;

// A model bar: the pictures (CImageViewer) of one group of models of the
// view set-up file, three to a row in the file's order. Entries without an
// address or a picture are left out and leave no gap. The pages connect
// every picture's clicked1 to their add-model slot; the simulation's robot
// loader reads the sensor bar's model addresses through SensorModelTable.
class CBrickBox : public QWidget, public SensorModelTable {
    Q_OBJECT

public:
    // list: the group's element ("brick", "sensor", "dynamic", ...), null for
    // an empty bar. Names and the pictures' settings come from `config`,
    // which must outlive the bar.
    explicit CBrickBox(const TiXmlElement* list, const CConfig& config, QWidget* parent = nullptr);

    // Each picture's tool tip and status tip: its model's name in the
    // current language (empty when the language has none).
    void f_Language();

    // The pictures in bar order; the widget tree owns them.
    const std::vector<CImageViewer*>& GetPictures() const { return m_vecPictures; }
    std::vector<std::string> SensorModelAddresses() const override;
    QGridLayout* GetGrid() const { return m_pGrid; }

private:
    const CConfig& m_config;
    std::vector<CImageViewer*> m_vecPictures;
    QGridLayout* m_pGrid = nullptr;
};
