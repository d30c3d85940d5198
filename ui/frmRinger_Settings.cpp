#include "ui/frmRinger.h"

#include "ui/ModelShape.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTimeEdit>

void frmRinger::opsDeviceVersion_Click(int index)
{
    const std::optional<DeviceModel> model = modelFromNumber(index);
    if (!model)
        return;
    for (QRadioButton *button : opsDeviceVersion)
        button->setStyleSheet(QString());
    opsDeviceVersion[size_t(index)]->setStyleSheet(SelectedModelStyle);
    shapeRowsForModel(*model);
}

// Shows the rows and labels the model uses; values, enabled states and the
// day shown stay as they are.
void frmRinger::shapeRowsForModel(DeviceModel model)
{
    const int labelPairs = shownLabelPairs(model);
    for (int pair = 0; pair < int(lblStart.size()); ++pair) {
        lblStart[pair]->setVisible(pair < labelPairs);
        lblEnd[pair]->setVisible(pair < labelPairs);
    }
    const int shownRows = shownRowCount(model);
    const bool ringLengthShown = !isIntervalModel(model);
    for (int row = 0; row < SlotsPerDay; ++row) {
        const bool shown = row < shownRows;
        chkTimeUsed[row]->setText(rowCaption(model, row));
        chkTimeUsed[row]->setVisible(shown);
        dtTime[row]->setVisible(shown);
        txtRingTime[row]->setVisible(shown && ringLengthShown);
    }
}

void frmRinger::chkTCPIPActive_Click()
{
    const bool tcp = chkTCPIPActive->isChecked();
    cmbPortNo->setEnabled(!tcp);
    txtIP->setEnabled(tcp);
    txtPort->setEnabled(tcp);
}

// The port chosen is stored at once and used from the next start.
void frmRinger::cmbPortNo_Click()
{
    m_settings.PortNo = qint16(cmbPortNo->currentIndex() + 1);
    storeSettings();
}

void frmRinger::cmdSave_Click()
{
    m_calendar.DeviceVersion = qint16(selectedModel());
    storeSettings();
    storeCalendar();
}
