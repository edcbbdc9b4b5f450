// A Flash or EEPROM image held by the program: bytes, size, the file they came from, a
// modified flag and one attribute byte per data byte recording the byte's history. Loaded and
// saved through the image files; filled and read by the chip operations.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "core/no_file_name.h"
#include "core/user_interface.h"
#include "i18n/messages.h"
#include "image/byte_attribute.h"
#include "image/byte_block.h"
#include "image/image_file.h"
#include "image/load_address.h"
#include "image/memory_buffer_observer.h"

namespace tovel {

class MemoryBuffer {
public:
    // `isEeprom`: the EEPROM buffer (its dialogs offer ".eep" first, and an odd size is kept;
    // the Flash buffer raises an odd size by one 0xFF byte).
    MemoryBuffer(UserInterface& ui, const Messages& messages, bool isEeprom);
    MemoryBuffer(const MemoryBuffer&) = delete;
    MemoryBuffer& operator=(const MemoryBuffer&) = delete;

    // Attaches (or with nullptr detaches) the owner told about changes, and sends it the label.
    void setObserver(MemoryBufferObserver* observer);
    // How Load At asks for the address. Without one, Load At behaves as if cancelled.
    void setLoadAddressPrompt(LoadAddressPrompt prompt) { loadAddressPrompt_ = std::move(prompt); }

    bool isEeprom() const { return isEeprom_; }
    // Set while a chip operation on this buffer runs: the preview draws one colour.
    bool plain() const { return plain_; }
    void setPlain(bool plain) { plain_ = plain; }
    bool modified() const { return modified_; }
    std::size_t size() const { return data_.size(); }
    bool hasData() const { return !data_.empty(); }
    // The file's full path, "[Unspecified]" when none, empty before the first load or close.
    const std::string& fileName() const { return fileName_; }

    // Bytes and attributes, `size()` of each. The chip operations write them directly.
    std::span<std::uint8_t> data() { return data_.span(); }
    std::span<const std::uint8_t> data() const { return data_.span(); }
    std::span<std::uint8_t> attributes() { return attributes_.span(); }
    std::span<const std::uint8_t> attributes() const { return attributes_.span(); }
    void setAllAttributes(ByteAttribute attribute);

    // A fresh image of `size` bytes of 0xFF, all not confirmed, marked modified; the file name
    // stays. False (buffer unchanged) only when the memory cannot be had.
    bool create(std::size_t size);
    // Empties the buffer and forgets the file; the modified flag is left as it is.
    bool close();
    // Raises the modified flag and tells the project.
    void markModified();
    // The sum of all bytes modulo 65536; 0 when empty.
    std::uint16_t checksum() const;

    // Replaces the image by the file's ("[Unspecified]" empties the buffer). True when the
    // buffer now holds that file; false when the file could not be read, is not a valid image
    // or memory ran out (the person was told, and the buffer is unchanged).
    bool load(const std::string& path);
    // For a buffer that stays empty because the file a project names could not be loaded: the
    // buffer keeps the name, so the project keeps it and Reload (or auto-program's reload step)
    // can try the file again. Nothing happens to a buffer with data.
    void rememberFileName(const std::string& path);
    // Merges the file's image into the loaded one at an address asked for (appending by
    // default). False at once when the buffer is empty, and when memory ran out.
    bool loadAt(const std::string& path);
    // Loads the buffer's file again, discarding edits. True when the buffer now holds that
    // file (or it has no file and is now empty). The file is read and decoded before it replaces
    // anything: when that fails, the buffer keeps what it had.
    bool reload();
    // Writes to the buffer's file, or asks for one when it has none. False when empty.
    bool save();
    // Asks for a file and writes to it. False when empty or when no file was chosen.
    bool saveAs();
    // Asks for a file, then `load` or `loadAt` of it. False when no file was chosen.
    bool openAndLoad();
    bool openAndLoadAt();

    // Writes the buffer back into the file its image was loaded from, in the format it was
    // loaded as, only when that file is still exactly as it was loaded (size, time, content):
    // the serial counter's way back to disk, which must never overwrite anything else.
    enum class WriteBack { Written, NotFromFile, FileChanged, CannotWrite };
    WriteBack writeBackToSourceFile();

    // The name label: the file name (or "[Unspecified]"), with "*" when modified and not empty.
    std::string labelText() const;
    // "Flash length: ..." or "Eeprom length: ..." with the size and the checksum.
    std::string statusText() const;
    void refreshLabel();

    // The file choices of Load / Load At and of Save As.
    FileChoice openChoice() const;
    FileChoice saveChoice() const;

private:
    enum class LoadResult { Loaded, Emptied, NotLoaded, NoMemory };
    LoadResult loadFile(const std::string& path);
    // Takes the file's image as the buffer's content from `path` (padding odd Flash sizes).
    // False when memory ran out; the buffer is then unchanged.
    bool adopt(const std::string& path, ImageFileRead file);
    void matchFile(const std::string& path, ByteAttribute attribute);
    bool writeTo(const std::string& path, ImageFormat format);
    void forgetSource() { source_.reset(); }
    void noteSource(const std::string& path, ImageFormat format);
    void cannotLoad();

    void contentChanged();
    void controlsChanged();

    UserInterface& ui_;
    const Messages& messages_;
    MemoryBufferObserver* observer_ = nullptr;
    LoadAddressPrompt loadAddressPrompt_;

    bool plain_ = false;
    const bool isEeprom_;
    bool modified_ = false;
    std::string fileName_;
    // The file the content came from, as it was on disk then: the only file the serial counter
    // may be written back into. None after a merge, a read from the chip, a close.
    struct Source {
        std::string path;
        ImageFormat format;
        FileVersion version;
    };
    std::optional<Source> source_;
    ByteBlock data_;
    ByteBlock attributes_;
};

} // namespace tovel
