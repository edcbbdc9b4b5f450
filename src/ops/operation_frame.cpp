#include "ops/operation_frame.h"

#include "ops/chip_context.h"

namespace tovel {

int projectDeviceIndex(const ProjectSettings& project) {
    return DeviceTable::isValidDeviceNo(project.deviceIndex) ? project.deviceIndex
                                                             : DeviceTable::defaultDeviceNo();
}

SessionParams sessionParamsOf(const ProjectSettings& project) {
    SessionParams params;
    params.deviceIndex = projectDeviceIndex(project);
    params.sckPeriodIndex = project.sckPeriodIndex;
    params.polling = project.polling;
    params.resetStrobeMs = project.resetStrobeMs;
    params.noSynchronization = project.noSynchronization;
    return params;
}

OperationFrame::OperationFrame(ChipContext& context, unsigned statusTextId, SetsStatus setsStatus)
    : context_(context), deviceIndex_(projectDeviceIndex(context.project)) {
    if (setsStatus == SetsStatus::Yes) context_.state.operationStatus = Outcome::Failed;
    if (statusTextId != kNoStatusText) context_.ui.setStatus(context_.messages.text(statusTextId));
    context_.ui.setBusy(true);
}

OperationFrame::~OperationFrame() {
    disconnect(Warning::Quiet);
    context_.ui.setBusy(false);
}

bool OperationFrame::begin(int speedIndex) { return checkPort() && connect(speedIndex); }

bool OperationFrame::beginAtLinkSpeed() { return begin(context_.settings.baudIndex); }

bool OperationFrame::checkPort() {
    if (context_.settings.comPort != 0) return true;
    context_.ui.setStatus(context_.messages.text(msg::SelectComPortOrSearch));
    context_.ui.showInfo(context_.messages.text(msg::NoBoardSpecified));
    return false;
}

bool OperationFrame::connect(int speedIndex) {
    deviceIndex_ = projectDeviceIndex(context_.project);
    connected_ = context_.session.openSession(sessionParamsOf(context_.project), context_.settings.comPort,
                                              speedIndex);
    return connected_;
}

Outcome OperationFrame::notConnected() const {
    const StopRequest* stop = context_.session.stopRequest();
    return stop != nullptr && stop->requested() ? Outcome::Cancelled : Outcome::Connection;
}

Outcome OperationFrame::judged(Outcome outcome) const {
    // A blank check that found data found it on whatever chip is there.
    const bool failed = outcome != Outcome::Ok && outcome != Outcome::NotBlank;
    return failed && dataFlashMissing() ? Outcome::WrongChip : outcome;
}

bool OperationFrame::dataFlashMissing() const {
    return device().isDataFlash() && !context_.session.state().dataFlashDetected;
}

bool OperationFrame::disconnect(Warning warning) {
    if (!connected_) return true;
    connected_ = false;
    const bool ok = context_.session.recoverBoard();
    if (!ok && warning == Warning::Show)
        context_.ui.showInfo(context_.messages.text(msg::WarningIncorrectDisconnection));
    return ok;
}

} // namespace tovel
