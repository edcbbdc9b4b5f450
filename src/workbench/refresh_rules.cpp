#include "workbench/refresh_rules.h"

#include "devices/device_table.h"

namespace tovel {

CommandStates commandStatesFor(int deviceNo, const BufferContents& buffers) {
    CommandStates states;
    states.programFlash = buffers.flashHasData;
    states.verifyFlash = buffers.flashHasData;
    if (!DeviceTable::isValidDeviceNo(deviceNo)) return states;

    const DeviceRecord& d = DeviceTable::device(deviceNo);
    states.readCalibrationBytes = d.calibrationBytes != 0;
    states.readFlash = d.flashSize != 0;
    states.readEeprom = d.eepromSize != 0 && !d.isDataFlash();
    states.programEeprom = states.readEeprom && buffers.eepromHasData;
    states.verifyEeprom = states.programEeprom;
    states.chipErase = !d.isSerialEeprom();
    states.blankCheck = states.chipErase;
    states.autoProgram = !d.isSerialEeprom() && !d.isDataFlash();
    states.readSignature = d.spiVariant == SpiVariant::Avr || d.spiVariant == SpiVariant::At89S51;
    states.sckPeriod = !d.isDataFlash();
    return states;
}

std::string windowTitle(const std::string& projectFileName, bool projectModified, const Messages& messages) {
    std::string title = projectFileName;
    if (projectModified) title += '*';
    title += " - ";
    title += messages.text(msg::QuestionCaption);
    return title;
}

} // namespace tovel
