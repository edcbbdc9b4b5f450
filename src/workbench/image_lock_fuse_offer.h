// After an ELF image is loaded into the Flash buffer: the lock, fuse and signature bytes the file
// carries are shown, and where the device's lock/fuse layout can take them the person is asked
// whether they become the project's lock/fuse selection for auto-program. Nothing is programmed
// here; a selection the project already has is not offered again, nor one declined for the same
// file.
#pragma once

#include <string>

namespace tovel {

class Messages;
class Project;
class UserInterface;

class ImageLockFuseOffer {
public:
    // `path`: the file just loaded. True when the project's selection changed.
    bool offer(const std::string& path, Project& project, UserInterface& ui, const Messages& messages);

private:
    std::string declined_; // the file and the selection the person said No to
};

} // namespace tovel
