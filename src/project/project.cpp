#include "project/project.h"

#include <filesystem>
#include <string_view>

#include "core/no_file_name.h"
#include "i18n/desktop_texts.h"
#include "image/memory_buffer.h"
#include "project/ini_file.h"
#include "project/project_file_format.h"
#include "project/project_paths.h"
#include "project/value_ranges.h"

namespace tovel {

namespace {

// A name typed without an extension gets ".tvl", as the save dialog's default extension.
std::string withProjectExtension(const std::string& path) {
    const std::filesystem::path p(path);
    return p.has_extension() || p.filename().empty() ? path : path + ".tvl";
}

std::string imageNameOf(const MemoryBuffer* buffer) {
    if (buffer == nullptr || buffer->fileName().empty()) return kUnspecifiedFileName;
    return buffer->fileName();
}

} // namespace

Project::Project(UserInterface& ui, const Messages& messages)
    : ui_(ui), messages_(messages), fileName_(kUnspecifiedFileName) {}

void Project::attach(ProjectObserver* owner, MemoryBuffer* flash, MemoryBuffer* eeprom) {
    owner_ = owner;
    flash_ = flash;
    eeprom_ = eeprom;
}

void Project::changed() {
    if (owner_ != nullptr) owner_->projectChanged();
}

void Project::showError(unsigned messageId, const std::string& path) {
    ui_.showBox(messages_.text(msg::QuestionCaption), messages_.format(messageId, path.c_str()),
                BoxIcon::Error);
}

bool Project::reset() {
    fileName_ = kUnspecifiedFileName;
    resetToNew(*this);
    changed();
    return true;
}

void Project::closeBuffers() {
    if (flash_ != nullptr) flash_->close();
    if (eeprom_ != nullptr) eeprom_->close();
}

bool Project::load(const std::string& path) {
    if (path == kUnspecifiedFileName) return reset();

    const std::optional<IniFile> file = IniFile::readFile(path);
    if (!file || !isProjectFile(*file)) {
        showError(msg::ErrorReadingProjectFile, path);
        return false;
    }
    reset();
    ProjectSettings loaded = readProjectSettings(*file);
    for (const ReplacedValue& replaced : replaceOutOfRangeValues(loaded))
        ui_.showInfo(describeReplacedValue(replaced, path, messages_));
    settings() = loaded;
    changed(); // the window shows "Inv" and "Inc" before the images load and report

    closeBuffers();
    // An image that cannot be loaded leaves its buffer empty but named: the project keeps the
    // file, and auto-program's reload step tries it again rather than going on without it.
    for (const auto& [buffer, image] :
         {std::pair{flash_, storedFlashFile(*file)}, std::pair{eeprom_, storedEepromFile(*file)}}) {
        if (buffer == nullptr) continue;
        const std::string imagePath = resolveImagePath(path, image);
        if (!buffer->load(imagePath)) buffer->rememberFileName(imagePath);
    }

    settingsModified_ = buffersModified_ = false;
    fileName_ = path;
    changed();
    return true;
}

bool Project::save(const std::string& path) {
    if (flash_ != nullptr) flash_->save();
    if (eeprom_ != nullptr) eeprom_->save();

    // Keys we do not write (comments, keys of other versions) stay; a file that exists but
    // cannot be read is not replaced by one that would lose them.
    std::optional<IniFile> file = IniFile::readFile(path);
    const bool written = file &&
                         writeProjectKeys(*file, settings(), storedImagePath(path, imageNameOf(flash_)),
                                          storedImagePath(path, imageNameOf(eeprom_))) &&
                         file->writeFile(path);
    if (!written) {
        ui_.showBox(messages_.text(msg::QuestionCaption), messages_.text(msg::CannotSaveFile),
                    BoxIcon::Error);
        return false;
    }
    settingsModified_ = buffersModified_ = false;
    changed();
    return true;
}

bool Project::openAndLoad() {
    const std::optional<std::string> path = ui_.chooseFile(openChoice());
    return path && load(*path);
}

bool Project::saveAs() {
    const std::optional<std::string> path = ui_.chooseFile(saveChoice());
    if (!path) return false;
    fileName_ = withProjectExtension(*path);
    return save(fileName_);
}

bool Project::saveOrSaveAs() {
    if (!fileName_.empty() && fileName_ != kUnspecifiedFileName) return save(fileName_);
    return saveAs();
}

bool Project::reloadProject() {
    if (fileName_.empty()) return false;
    const std::string path = fileName_;
    reset();
    return load(path);
}

void Project::clearModified() {
    settingsModified_ = buffersModified_ = false;
    changed();
}

void Project::markModified() {
    if (settingsModified_) return;
    const bool wasModified = modified();
    settingsModified_ = true;
    if (!wasModified) changed();
}

void Project::bufferMarkedModified() {
    if (buffersModified_) return;
    const bool wasModified = modified();
    buffersModified_ = true;
    if (!wasModified) changed();
}

void Project::buffersSaved() {
    const bool flashModified = flash_ != nullptr && flash_->modified();
    const bool eepromModified = eeprom_ != nullptr && eeprom_->modified();
    if (flashModified || eepromModified || !buffersModified_) return;
    buffersModified_ = false;
    changed();
}

FileChoice Project::openChoice() const {
    FileChoice choice;
    choice.initialPath = fileName_ != kUnspecifiedFileName ? fileName_ : "Untitled";
    choice.filters = {ui::desktopText(ui::DesktopText::ProjectFilesFilter, messages_.language())};
    return choice;
}

FileChoice Project::saveChoice() const {
    FileChoice choice = openChoice();
    choice.save = true;
    return choice;
}

} // namespace tovel
