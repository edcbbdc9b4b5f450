#include "image/elf_image.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>

#include <gelf.h>
#include <libelf.h>

#include "image/image_limits.h"

namespace tovel {

namespace {

// The AVR toolchain's memory map: Flash from 0, then each other memory in its own window.
constexpr std::uint64_t kDataSpace = 0x800000;
constexpr std::uint64_t kEepromBase = 0x810000;
constexpr std::uint64_t kFuseBase = 0x820000;
constexpr std::uint64_t kLockBase = 0x830000;
constexpr std::uint64_t kSignatureBase = 0x840000;
constexpr std::uint64_t kWindow = 0x10000;

struct Piece {
    std::uint64_t address; // within its memory
    const std::uint8_t* bytes;
    std::size_t size;
};

struct ElfCloser {
    void operator()(Elf* elf) const { elf_end(elf); }
};

bool libraryReady() {
    static std::once_flag once;
    static bool ready = false;
    std::call_once(once, [] { ready = elf_version(EV_CURRENT) != EV_NONE; });
    return ready;
}

// The load address of a section: its place in the loadable segment that carries its bytes (the
// segment's physical address), else its own address.
std::uint64_t loadAddress(const GElf_Shdr& section, const std::vector<GElf_Phdr>& segments) {
    for (const GElf_Phdr& segment : segments) {
        if (section.sh_offset >= segment.p_offset &&
            section.sh_offset + section.sh_size <= segment.p_offset + segment.p_filesz)
            return segment.p_paddr + (section.sh_offset - segment.p_offset);
    }
    return section.sh_addr;
}

// The pieces laid out from address 0, gaps 0xFF; false when they reach past `limit`.
ElfFault assemble(const std::vector<Piece>& pieces, std::size_t limit, ByteBlock& out) {
    std::uint64_t end = 0;
    for (const Piece& piece : pieces) end = std::max(end, piece.address + piece.size);
    if (end > limit) return ElfFault::OutsideImage;
    std::optional<ByteBlock> block = ByteBlock::filled(static_cast<std::size_t>(end), 0xFF);
    if (!block) return ElfFault::NoMemory;
    for (const Piece& piece : pieces) std::memcpy(block->data() + piece.address, piece.bytes, piece.size);
    out = std::move(*block);
    return ElfFault::None;
}

ElfImage failed(ElfFault fault) {
    ElfImage image;
    image.fault = fault;
    return image;
}

} // namespace

bool looksLikeElf(std::span<const std::uint8_t> bytes) {
    return bytes.size() >= 4 && std::memcmp(bytes.data(), ELFMAG, SELFMAG) == 0;
}

ElfImage decodeElf(std::span<const std::uint8_t> bytes) {
    if (!libraryReady() || !looksLikeElf(bytes)) return failed(ElfFault::NotElf);
    // libelf may convert a private copy in place; the caller's bytes stay untouched.
    std::vector<char> copy(bytes.begin(), bytes.end());
    std::unique_ptr<Elf, ElfCloser> elf(elf_memory(copy.data(), copy.size()));
    if (!elf || elf_kind(elf.get()) != ELF_K_ELF) return failed(ElfFault::NotElf);

    GElf_Ehdr header;
    if (gelf_getehdr(elf.get(), &header) == nullptr) return failed(ElfFault::Damaged);
    if (gelf_getclass(elf.get()) != ELFCLASS32 || header.e_machine != EM_AVR)
        return failed(ElfFault::OtherArchitecture);

    std::size_t segmentCount = 0;
    if (elf_getphdrnum(elf.get(), &segmentCount) != 0) return failed(ElfFault::Damaged);
    std::vector<GElf_Phdr> segments;
    for (std::size_t i = 0; i < segmentCount; ++i) {
        GElf_Phdr segment;
        if (gelf_getphdr(elf.get(), static_cast<int>(i), &segment) == nullptr)
            return failed(ElfFault::Damaged);
        if (segment.p_type == PT_LOAD && segment.p_filesz > 0) segments.push_back(segment);
    }

    ElfImage image;
    std::vector<Piece> flash;
    std::vector<Piece> eeprom;
    for (Elf_Scn* scn = elf_nextscn(elf.get(), nullptr); scn != nullptr; scn = elf_nextscn(elf.get(), scn)) {
        GElf_Shdr section;
        if (gelf_getshdr(scn, &section) == nullptr) return failed(ElfFault::Damaged);
        if ((section.sh_flags & SHF_ALLOC) == 0 || section.sh_type == SHT_NOBITS || section.sh_size == 0)
            continue;
        Elf_Data* data = elf_getdata(scn, nullptr);
        if (data == nullptr || data->d_buf == nullptr || data->d_size != section.sh_size)
            return failed(ElfFault::Damaged);
        const auto* contents = static_cast<const std::uint8_t*>(data->d_buf);
        const std::uint64_t address = loadAddress(section, segments);
        const std::uint64_t window = address & ~(kWindow - 1);
        const std::vector<std::uint8_t> raw(contents,
                                            contents + std::min<std::size_t>(data->d_size, kWindow));
        if (address < kDataSpace) {
            flash.push_back({address, contents, data->d_size});
        } else if (window == kEepromBase) {
            eeprom.push_back({address - kEepromBase, contents, data->d_size});
        } else if (window == kFuseBase) {
            image.fuse = raw;
        } else if (window == kLockBase) {
            image.lock = raw;
        } else if (window == kSignatureBase) {
            image.signature = raw;
        }
        // Anything else (RAM, other windows) is not a memory the programmer writes.
    }
    if (flash.empty() && eeprom.empty()) return failed(ElfFault::NothingLoadable);
    if (const ElfFault fault = assemble(flash, kMaxImageSize, image.flash); fault != ElfFault::None)
        return failed(fault);
    if (const ElfFault fault = assemble(eeprom, kWindow, image.eeprom); fault != ElfFault::None)
        return failed(fault);
    return image;
}

} // namespace tovel
