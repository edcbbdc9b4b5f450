#include "e2e/ops_bench.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "devices/device_table.h"
#include "support/sent_bytes.h"

namespace tovel::test {

OpsBench::OpsBench() {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ = (std::filesystem::path(::testing::TempDir()) / "tovel-ops" /
               (std::string(info->test_suite_name()) + "." + info->name()))
                  .string();
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    ui.runHook = [this](OperationRunner& runner) {
        cancel.running(&runner);
        const Outcome result = runner_.runModal(runner);
        cancel.running(nullptr);
        return result;
    };
    clock.mark = [this] { return host_ ? host_->bytesFromHost() : 0; };
}

OpsBench::~OpsBench() {
    bench_.reset();
    host_.reset();
    std::filesystem::remove_all(folder_);
}

int OpsBench::row(const std::string& name) { return DeviceTable::findByName(name.c_str()); }

void OpsBench::start(const std::string& chip, sim::SimOptions options, const std::string& selected) {
    options.device = chip;
    host_ = std::make_unique<sim::PtyBoardHost>(options);
    ASSERT_TRUE(host_->ok()) << host_->error();
    ports_.setOverride(1, host_->slavePath());
    bench_ = std::make_unique<Workbench>(ui, clock, channel_, folder_ + "/tovelisp.ini");
    bench_->readSettings();
    ASSERT_TRUE(bench_->setPortAndSpeed(1, 0));
    const std::string device = selected.empty() ? chip : selected;
    if (row(device) >= 0) bench_->selectDevice(row(device));
    ui.clear();
}

std::string OpsBench::sentHex() const { return sentHexOf(*host_); }

std::size_t OpsBench::timesSent(const std::string& hex) const { return countHex(sentHex(), hex); }

std::size_t OpsBench::findSent(const std::string& hex, std::size_t from) const {
    return findHex(sentHex(), hex, from);
}

std::string OpsBench::writeFile(const std::string& name, const Bytes& bytes) const {
    const std::string path = folder_ + "/" + name;
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
}

} // namespace tovel::test
