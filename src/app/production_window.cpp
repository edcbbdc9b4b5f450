#include "app/production_window.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <filesystem>

#include "app/production_board_ui.h"
#include "app/production_tile.h"
#include "board/port_map.h"
#include "devices/device_table.h"
#include "i18n/production_texts.h"
#include "production/job_copy.h"
#include "production/production_line.h"
#include "production/sqlite_serial_allocator.h"
#include "project/project.h"
#include "project/settings_file.h"
#include "workbench/workbench.h"

#ifdef TOVEL_HAVE_SIMULATOR
#include "sim/pty_board_host.h"
#endif

namespace tovel::app {

namespace {

constexpr int kTileColumns = 4;
constexpr int kMaxBoards = 16;

QString qs(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

struct ProductionWindow::Board {
    std::string label;
    std::unique_ptr<ProductionBoardUi> ui;
    std::unique_ptr<Workbench> workbench;
};

QString ProductionWindow::text(int id) const {
    return QString::fromUtf8(productionText(static_cast<ProductionText>(id), language_));
}

ProductionWindow::ProductionWindow(Workbench& job, QWidget* parent)
    : QDialog(parent), job_(job), language_(job.language()), alive_(std::make_shared<bool>(true)) {
    setWindowTitle(text(static_cast<int>(ProductionText::WindowTitle)));
    setModal(true);
    auto* layout = new QVBoxLayout(this);

    auto* form = new QGridLayout;
    form->addWidget(new QLabel(text(static_cast<int>(ProductionText::Ports)), this), 0, 0);
    ports_ = new QLineEdit(this);
    form->addWidget(ports_, 0, 1);
    simulated_ = new QSpinBox(this);
    simulated_->setRange(0, kMaxBoards);
#ifdef TOVEL_HAVE_SIMULATOR
    form->addWidget(new QLabel(text(static_cast<int>(ProductionText::SimulatedBoards)), this), 1, 0);
    form->addWidget(simulated_, 1, 1);
#else
    simulated_->hide();
#endif
    form->addWidget(new QLabel(text(static_cast<int>(ProductionText::Password)), this), 2, 0);
    password_ = new QLineEdit(this);
    password_->setEchoMode(QLineEdit::Password);
    form->addWidget(password_, 2, 1);
    layout->addLayout(form);

    auto* counts = new QHBoxLayout;
    passed_ = new QLabel(this);
    failed_ = new QLabel(this);
    total_ = new QLabel(this);
    for (QLabel* label : {passed_, failed_, total_}) {
        QFont font = label->font();
        font.setPointSize(font.pointSize() + 4);
        font.setBold(true);
        label->setFont(font);
        counts->addWidget(label);
    }
    layout->addLayout(counts);

    tileGrid_ = new QGridLayout;
    layout->addLayout(tileGrid_);
    message_ = new QLabel(this);
    message_->setWordWrap(true);
    layout->addWidget(message_);

    auto* buttons = new QHBoxLayout;
    start_ = new QPushButton(text(static_cast<int>(ProductionText::Start)), this);
    stop_ = new QPushButton(text(static_cast<int>(ProductionText::Stop)), this);
    close_ = new QPushButton(text(static_cast<int>(ProductionText::Close)), this);
    stop_->setEnabled(false);
    buttons->addStretch();
    for (QPushButton* button : {start_, stop_, close_}) buttons->addWidget(button);
    layout->addLayout(buttons);
    connect(start_, &QPushButton::clicked, this, &ProductionWindow::start);
    connect(stop_, &QPushButton::clicked, this, [this] { stop(); });
    connect(close_, &QPushButton::clicked, this, &ProductionWindow::reject);

    // The counts live in the job's store: beside the project, or beside the settings file for a
    // job not saved to a file.
    const std::string& projectFile = job_.project().fileName();
    const std::string storePath =
        !projectFile.empty() && projectFile != "[Unspecified]"
            ? SqliteSerialAllocator::pathForProject(projectFile)
            : (std::filesystem::path(job_.settingsFile().path()).parent_path() / "production.serials.db")
                  .string();
    store_ = std::make_unique<SqliteSerialAllocator>(storePath);
    if (!store_->ok())
        showMessage(
            text(static_cast<int>(ProductionText::StoreFailed)).arg(qs(storePath), qs(store_->lastError())));
    showCounts();
}

ProductionWindow::~ProductionWindow() {
    *alive_ = false;
    if (line_) line_->stop();
    if (lineThread_.joinable()) lineThread_.join();
}

void ProductionWindow::setPorts(const QString& ports) { ports_->setText(ports); }
void ProductionWindow::setSimulatedBoards(int count) { simulated_->setValue(count); }
void ProductionWindow::setPassword(const QString& password) { password_->setText(password); }

QString ProductionWindow::countsText() const {
    return passed_->text() + " " + failed_->text() + " " + total_->text();
}

QString ProductionWindow::messageText() const { return message_->text(); }

void ProductionWindow::showCounts() {
    const ChipCounts counts = store_->ok() ? store_->counts() : ChipCounts{};
    passed_->setText(text(static_cast<int>(ProductionText::Passed)).arg(counts.passed));
    failed_->setText(text(static_cast<int>(ProductionText::Failed)).arg(counts.failed));
    total_->setText(text(static_cast<int>(ProductionText::Total)).arg(counts.total));
}

void ProductionWindow::showMessage(const QString& message) { message_->setText(message); }

void ProductionWindow::post(std::function<void()> work) {
    std::weak_ptr<bool> alive = alive_;
    QMetaObject::invokeMethod(
        this,
        [alive, work = std::move(work)] {
            if (const auto living = alive.lock(); living && *living) work();
        },
        Qt::QueuedConnection);
}

void ProductionWindow::start() {
    if (running() || !store_->ok()) return;
    std::vector<std::pair<std::string, std::string>> places; // label, device path
    for (const QString& part : ports_->text().split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const std::string argument = part.trimmed().toStdString();
        PortMap map = job_.portMap();
        const int port = map.portFromArgument(argument);
        if (port == 0) continue;
        places.emplace_back(argument, map.pathFor(port));
    }
#ifdef TOVEL_HAVE_SIMULATOR
    simulatedBoards_.clear();
    for (int n = 1; n <= simulated_->value(); ++n) {
        sim::SimOptions options;
        options.device = DeviceTable::device(job_.deviceNo()).name;
        auto host = std::make_unique<sim::PtyBoardHost>(options);
        if (!host->ok()) continue;
        places.emplace_back("sim" + std::to_string(n), host->slavePath());
        simulatedBoards_.push_back(std::move(host));
    }
#endif
    if (places.empty() || places.size() > static_cast<std::size_t>(kMaxBoards)) {
        showMessage(text(static_cast<int>(ProductionText::NoBoards)));
        return;
    }

    for (ProductionTile* tile : tiles_) delete tile;
    tiles_.clear();
    boards_.clear();
    std::vector<ProductionBoard> productionBoards;
    for (std::size_t k = 0; k < places.size(); ++k) {
        auto* tile = new ProductionTile(qs(places[k].first), language_, this);
        tileGrid_->addWidget(tile, static_cast<int>(k) / kTileColumns, static_cast<int>(k) % kTileColumns);
        tiles_.push_back(tile);
        auto board = std::make_unique<Board>();
        board->label = places[k].first;
        QPointer<ProductionTile> guarded(tile);
        board->ui = std::make_unique<ProductionBoardUi>(
            [this, guarded](const std::string& status) {
                post([guarded, status] {
                    if (guarded) guarded->setState(qs(status));
                });
            },
            [this, guarded](int percent) {
                post([guarded, percent] {
                    if (guarded) guarded->setProgress(percent);
                });
            });
        board->workbench = std::make_unique<Workbench>(*board->ui, systemClock(), Workbench::ChannelFactory{},
                                                       job_.settingsFile().path());
        Workbench& workbench = *board->workbench;
        workbench.readSettings();
        workbench.setLanguage(language_);
        workbench.overridePortAndSpeed(workbench.portMap().useDirectPath(places[k].second), job_.baudIndex());
        if (!copyJobTo(job_, workbench)) return;
        ProductionBoardUi* ui = board->ui.get();
        productionBoards.push_back({board->label, &workbench, [ui](bool muted) { ui->setMuted(muted); }});
        boards_.push_back(std::move(board));
    }

    ProductionLine::Hooks hooks;
    hooks.advanceJobCounters = false; // the job is on screen: its counters move on this thread
    hooks.judge = [this](std::size_t k, bool runOk, Outcome) {
        return ChipVerdict{runOk ? 0 : -1, boards_[k]->ui->lastStatus()};
    };
    hooks.stageChanged = [this](std::size_t k, BoardStage stage) {
        post([this, k, stage] {
            if (k >= tiles_.size()) return;
            ProductionTile* tile = tiles_[k];
            switch (stage) {
            case BoardStage::WaitingForChip:
                tile->setState(text(static_cast<int>(ProductionText::WaitingForChip)));
                break;
            case BoardStage::Programming:
                tile->clearVerdict();
                tile->setState(text(static_cast<int>(ProductionText::Programming)));
                break;
            case BoardStage::Passed:
            case BoardStage::Failed:
                tile->setState(text(static_cast<int>(ProductionText::RemoveChip)));
                break;
            case BoardStage::Stopped:
                tile->setState(text(static_cast<int>(ProductionText::Stopped)));
                break;
            case BoardStage::Idle:
                break;
            }
        });
    };
    hooks.chipDone = [this](std::size_t k, const ChipRecord& chip, const std::string&, const std::string&) {
        post([this, k, chip] {
            if (k < tiles_.size())
                tiles_[k]->setVerdict(chip.result == ChipResult::Passed, qs(serialNumberText(chip)));
            if (chip.result == ChipResult::Passed) advanceJobCounters(job_, chip);
            showCounts();
        });
        return std::optional<std::string>();
    };
    hooks.storeFailureText = [this](const std::string& error) {
        return text(static_cast<int>(ProductionText::StoreFailed)).arg(QString(), qs(error)).toStdString();
    };

    line_ =
        std::make_unique<ProductionLine>(job_, store_.get(), std::move(productionBoards), std::move(hooks));
    lockPassword_ = password_->text();
    showMessage(QString());
    start_->setEnabled(false);
    stop_->setEnabled(true);
    close_->setEnabled(false);
    for (QWidget* field :
         {static_cast<QWidget*>(ports_), static_cast<QWidget*>(simulated_), static_cast<QWidget*>(password_)})
        field->setEnabled(false);
    ProductionLine* line = line_.get();
    lineThread_ = std::thread([this, line] {
        line->runHandsFree();
        post([this] { finished(); });
    });
}

bool ProductionWindow::unlocked() {
    if (lockPassword_.isEmpty()) return true;
    const QString answer = passwordAnswer_
                               ? passwordAnswer_()
                               : QInputDialog::getText(this, windowTitle(),
                                                       text(static_cast<int>(ProductionText::EnterPassword)),
                                                       QLineEdit::Password);
    if (answer == lockPassword_) return true;
    showMessage(text(static_cast<int>(ProductionText::WrongPassword)));
    return false;
}

bool ProductionWindow::stop() {
    if (!running()) return true;
    if (!unlocked()) return false;
    stop_->setEnabled(false);
    line_->stop();
    return true;
}

void ProductionWindow::finished() {
    if (lineThread_.joinable()) lineThread_.join();
    const std::string why = line_ ? line_->stopReason() : std::string();
    line_.reset();
    boards_.clear();
    simulatedBoards_.clear();
    if (!why.empty()) showMessage(text(static_cast<int>(ProductionText::LineStopped)).arg(qs(why)));
    lockPassword_.clear();
    start_->setEnabled(true);
    stop_->setEnabled(false);
    close_->setEnabled(true);
    for (QWidget* field :
         {static_cast<QWidget*>(ports_), static_cast<QWidget*>(simulated_), static_cast<QWidget*>(password_)})
        field->setEnabled(true);
    showCounts();
}

void ProductionWindow::reject() {
    if (running()) return; // Stop first (with the lock's password)
    QDialog::reject();
}

} // namespace tovel::app
