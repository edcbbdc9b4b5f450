#include "image/memory_buffer.h"

#include <algorithm>
#include <cstring>

#include "i18n/desktop_texts.h"
#include "image/file_reader.h"
#include "image/image_boxes.h"
#include "image/image_file.h"
#include "image/image_limits.h"

namespace tovel {

namespace {

bool namesFile(const std::string& fileName) { return !fileName.empty() && fileName != kUnspecifiedFileName; }

// A name typed without an extension gets the dialog's default one.
std::string withDefaultExtension(const std::string& path, const char* extension) {
    const std::size_t nameStart =
        path.find_last_of('/') == std::string::npos ? 0 : path.find_last_of('/') + 1;
    if (path.find('.', nameStart) != std::string::npos || nameStart == path.size()) return path;
    return path + extension;
}

} // namespace

MemoryBuffer::MemoryBuffer(UserInterface& ui, const Messages& messages, bool isEeprom)
    : ui_(ui), messages_(messages), isEeprom_(isEeprom) {}

void MemoryBuffer::setObserver(MemoryBufferObserver* observer) {
    observer_ = observer;
    refreshLabel();
}

void MemoryBuffer::setAllAttributes(ByteAttribute attribute) {
    if (!attributes_.empty())
        std::memset(attributes_.data(), static_cast<int>(attribute), attributes_.size());
}

bool MemoryBuffer::create(std::size_t size) {
    forgetSource();
    std::optional<ByteBlock> data = ByteBlock::filled(size, 0xFF);
    std::optional<ByteBlock> attributes =
        data ? ByteBlock::filled(size, static_cast<std::uint8_t>(ByteAttribute::NotConfirmed)) : std::nullopt;
    if (!attributes) return false;
    plain_ = false;
    data_ = std::move(*data);
    attributes_ = std::move(*attributes);
    markModified();
    contentChanged();
    refreshLabel();
    controlsChanged();
    return true;
}

bool MemoryBuffer::close() {
    forgetSource();
    plain_ = false;
    data_ = ByteBlock();
    attributes_ = ByteBlock();
    fileName_ = kUnspecifiedFileName;
    contentChanged();
    refreshLabel();
    controlsChanged();
    return true;
}

void MemoryBuffer::markModified() {
    if (!modified_) {
        modified_ = true;
        refreshLabel();
    }
    if (observer_ != nullptr) observer_->bufferMarkedModified(*this);
}

std::uint16_t MemoryBuffer::checksum() const {
    std::uint32_t sum = 0;
    for (std::uint8_t byte : data_.span()) sum += byte;
    return static_cast<std::uint16_t>(sum);
}

bool MemoryBuffer::load(const std::string& path) {
    const LoadResult result = loadFile(path);
    return result == LoadResult::Loaded || result == LoadResult::Emptied;
}

void MemoryBuffer::rememberFileName(const std::string& path) {
    if (hasData() || path == kUnspecifiedFileName) return;
    fileName_ = path;
    refreshLabel();
}

MemoryBuffer::LoadResult MemoryBuffer::loadFile(const std::string& path) {
    if (path == kUnspecifiedFileName) {
        close();
        return LoadResult::Emptied;
    }
    if (refuseNonRegularFile(path)) return LoadResult::NotLoaded;
    ImageFileRead file =
        readImageFile(path, ui_, messages_, isEeprom_ ? ImageMemory::Eeprom : ImageMemory::Flash);
    switch (file.status) {
    case ImageReadStatus::CannotRead:
        controlsChanged();
        return LoadResult::NotLoaded;
    case ImageReadStatus::NoMemory:
        return LoadResult::NoMemory;
    case ImageReadStatus::Refused:
        controlsChanged();
        return LoadResult::NotLoaded;
    case ImageReadStatus::Loaded:
        break;
    }
    if (!adopt(path, std::move(file))) {
        showImageError(ui_, messages_, messages_.text(msg::NotEnoughMemory));
        return LoadResult::NoMemory;
    }
    return LoadResult::Loaded;
}

bool MemoryBuffer::adopt(const std::string& path, ImageFileRead file) {
    ByteBlock& image = file.image;
    // Flash is programmed in words, so an odd image gets one more (erased) byte.
    if (!isEeprom_ && image.size() % 2 != 0 && !image.resize(image.size() + 1, 0xFF)) return false;
    std::optional<ByteBlock> attributes = ByteBlock::allocate(image.size());
    if (!attributes) return false;
    plain_ = false;
    data_ = std::move(image);
    attributes_ = std::move(*attributes);
    source_ = Source{path, file.format, file.version};
    matchFile(path, ByteAttribute::Loaded);
    controlsChanged();
    return true;
}

bool MemoryBuffer::copyFrom(const MemoryBuffer& source) {
    std::optional<ByteBlock> data = ByteBlock::copyOf(source.data());
    std::optional<ByteBlock> attributes = ByteBlock::copyOf(source.attributes());
    if (!data || !attributes) return false;
    plain_ = false;
    data_ = std::move(*data);
    attributes_ = std::move(*attributes);
    fileName_ = source.fileName_;
    modified_ = source.modified_;
    source_ = source.source_;
    contentChanged();
    controlsChanged();
    refreshLabel();
    return true;
}

void MemoryBuffer::noteSource(const std::string& path, ImageFormat format) {
    // What was just written is what the file holds now; read it back to know that version.
    const FileContents written = readWholeFile(path, kMaxHexTextSize);
    if (written.status == FileReadStatus::Read)
        source_ = Source{path, format, written.version};
    else
        forgetSource();
}

// The buffer now holds exactly what the file `path` holds.
void MemoryBuffer::matchFile(const std::string& path, ByteAttribute attribute) {
    fileName_ = path;
    modified_ = false;
    setAllAttributes(attribute);
    if (observer_ != nullptr) observer_->bufferMatchesFile(*this);
    contentChanged();
    refreshLabel();
}

bool MemoryBuffer::refuseNonRegularFile(const std::string& path) {
    if (!isNonRegularFile(path)) return false;
    controlsChanged();
    showImageError(ui_, messages_, messages_.format(msg::NotARegularFile, path.c_str()));
    return true;
}

void MemoryBuffer::cannotLoad() {
    controlsChanged();
    showImageError(ui_, messages_, messages_.text(msg::CannotLoadFile));
}

bool MemoryBuffer::loadAt(const std::string& path) {
    if (!hasData()) return false;
    if (path == kUnspecifiedFileName) return close();

    if (refuseNonRegularFile(path)) return true;
    ImageFileRead file =
        readImageFile(path, ui_, messages_, isEeprom_ ? ImageMemory::Eeprom : ImageMemory::Flash);
    switch (file.status) {
    case ImageReadStatus::CannotRead:
        controlsChanged();
        return true;
    case ImageReadStatus::NoMemory:
        return false;
    case ImageReadStatus::Refused:
        controlsChanged();
        return true;
    case ImageReadStatus::Loaded:
        break;
    }

    // The preset is the current size, so by default the file is appended.
    const std::size_t size = data_.size();
    const std::optional<std::int64_t> address =
        loadAddressPrompt_ ? loadAddressPrompt_(static_cast<std::int64_t>(size)) : std::nullopt;
    if (!address || *address < 0 || *address > kMaxLoadAddress) {
        cannotLoad();
        return true;
    }
    const auto at = static_cast<std::size_t>(*address);
    if (at < size && !askImageQuestion(ui_, messages_, messages_.text(msg::FileOverlapWarning))) {
        cannotLoad();
        return true;
    }

    const ByteBlock& image = file.image;
    std::size_t merged = std::max(size, at + image.size());
    if (!isEeprom_ && merged % 2 != 0) ++merged;
    // Every allocation comes before the first change, so running out of memory leaves the
    // buffer as it was.
    std::optional<ByteBlock> attributes = ByteBlock::allocate(merged);
    if (!attributes || !data_.resize(merged, 0xFF)) {
        showImageError(ui_, messages_, messages_.text(msg::NotEnoughMemory));
        return false;
    }
    if (!image.empty()) std::memcpy(data_.data() + at, image.data(), image.size());
    // A merge is no file's content: the counter is never written back into the merged file.
    forgetSource();
    plain_ = false;
    attributes_ = std::move(*attributes);
    setAllAttributes(ByteAttribute::Loaded);
    // The merged image is in no file: neither the loaded file nor the one merged into holds it,
    // so a later Save must ask for a name rather than overwrite either.
    fileName_ = kUnspecifiedFileName;
    markModified();
    contentChanged();
    refreshLabel();
    controlsChanged();
    return true;
}

bool MemoryBuffer::reload() {
    if (!namesFile(fileName_)) {
        close();
        return true;
    }
    // Only a buffer that holds its file again counts as reloaded; a file that is missing, half
    // written or broken leaves the buffer as it was, and the reload fails.
    const std::string path = fileName_;
    return loadFile(path) == LoadResult::Loaded;
}

bool MemoryBuffer::save() {
    if (!hasData()) return false;
    if (namesFile(fileName_)) return writeTo(fileName_, writeFormatFor(fileName_, ui_, messages_));
    return saveAs();
}

bool MemoryBuffer::saveAs() {
    if (!hasData()) return false;
    const std::optional<std::string> chosen = ui_.chooseFile(saveChoice());
    if (!chosen) return false;
    // A file that could not be written is not the buffer's file: the old name stays, and the
    // command reports the failure rather than a save.
    const std::string path = withDefaultExtension(*chosen, isEeprom_ ? ".eep" : ".hex");
    return writeTo(path, writeFormatFor(path, ui_, messages_));
}

bool MemoryBuffer::writeTo(const std::string& path, ImageFormat format) {
    if (!writeImageFile(path, data_.span(), format, ui_, messages_)) return false;
    noteSource(path, format);
    matchFile(path, ByteAttribute::Saved);
    return true;
}

MemoryBuffer::WriteBack MemoryBuffer::writeBackToSourceFile() {
    if (!hasData() || !source_ || source_->path != fileName_) return WriteBack::NotFromFile;
    const FileContents now = readWholeFile(source_->path, kMaxHexTextSize);
    if (now.status != FileReadStatus::Read || !(now.version == source_->version))
        return WriteBack::FileChanged;
    const Source source = *source_;
    return writeTo(source.path, source.format) ? WriteBack::Written : WriteBack::CannotWrite;
}

bool MemoryBuffer::openAndLoad() {
    const std::optional<std::string> chosen = ui_.chooseFile(openChoice());
    return chosen && load(*chosen);
}

bool MemoryBuffer::openAndLoadAt() {
    const std::optional<std::string> chosen = ui_.chooseFile(openChoice());
    return chosen && loadAt(*chosen);
}

std::string MemoryBuffer::labelText() const {
    std::string text = fileName_.empty() ? std::string(kUnspecifiedFileName) : fileName_;
    if (modified_ && hasData()) text += '*';
    return text;
}

std::string MemoryBuffer::statusText() const {
    const int size = static_cast<int>(data_.size());
    return messages_.format(isEeprom_ ? msg::EepromLengthChecksum : msg::FlashLengthChecksum, size,
                            static_cast<unsigned>(size), static_cast<unsigned>(checksum()));
}

void MemoryBuffer::refreshLabel() {
    if (observer_ != nullptr) observer_->labelChanged(*this, labelText());
}

FileChoice MemoryBuffer::openChoice() const {
    FileChoice choice;
    choice.save = false;
    choice.initialPath = "Untitled";
    const auto filter = [this](ui::DesktopText id) {
        return std::string(ui::desktopText(id, messages_.language()));
    };
    using ui::DesktopText;
    const std::string srec = messages_.text(msg::SrecFilesFilter);
    const std::string elf = messages_.text(msg::ElfFilesFilter);
    if (isEeprom_)
        choice.filters = {filter(DesktopText::EepFilesFilter),
                          filter(DesktopText::HexFilesFilter),
                          filter(DesktopText::BinFilesFilter),
                          srec,
                          elf,
                          filter(DesktopText::AllFilesFilter)};
    else
        choice.filters = {filter(DesktopText::HexFilesFilter), filter(DesktopText::BinFilesFilter), srec, elf,
                          filter(DesktopText::AllFilesFilter)};
    return choice;
}

FileChoice MemoryBuffer::saveChoice() const {
    FileChoice choice;
    choice.save = true;
    choice.initialPath = "Untitled";
    const auto filter = [this](ui::DesktopText id) {
        return std::string(ui::desktopText(id, messages_.language()));
    };
    using ui::DesktopText;
    // ELF files are read only.
    const std::string srec = messages_.text(msg::SrecFilesFilter);
    if (isEeprom_)
        choice.filters = {filter(DesktopText::EepFilesFilter), filter(DesktopText::HexFilesFilter),
                          filter(DesktopText::BinFilesFilter), srec, filter(DesktopText::AllFilesFilter)};
    else
        choice.filters = {filter(DesktopText::HexFilesFilter), filter(DesktopText::EepFilesFilter),
                          filter(DesktopText::BinFilesFilter), srec, filter(DesktopText::AllFilesFilter)};
    return choice;
}

void MemoryBuffer::contentChanged() {
    if (observer_ != nullptr) observer_->contentChanged(*this);
}

void MemoryBuffer::controlsChanged() {
    if (observer_ != nullptr) observer_->controlsChanged(*this);
}

} // namespace tovel
