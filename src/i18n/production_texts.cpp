#include "i18n/production_texts.h"

namespace tovel {

namespace {

struct Row {
    ProductionText id;
    const char* english;
    const char* russian;
};

constexpr Row kRows[] = {
    {ProductionText::WindowTitle, "Production", "Производство"},
    {ProductionText::Ports,
     "Ports (numbers or paths, separated by commas):", "Порты (номера или пути через запятую):"},
    {ProductionText::SimulatedBoards, "Simulated boards:", "Имитаторы плат:"},
    {ProductionText::Password,
     "Operator lock password (optional):", "Пароль блокировки оператора (необязательно):"},
    {ProductionText::Start, "Start", "Пуск"},
    {ProductionText::Stop, "Stop", "Стоп"},
    {ProductionText::Close, "Close", "Закрыть"},
    {ProductionText::Passed, "Passed: %1", "Годных: %1"},
    {ProductionText::Failed, "Failed: %1", "Брак: %1"},
    {ProductionText::Total, "Total: %1", "Всего: %1"},
    {ProductionText::Pass, "PASS", "ГОДНО"},
    {ProductionText::Fail, "FAIL", "БРАК"},
    {ProductionText::Idle, "Idle", "Ожидание пуска"},
    {ProductionText::WaitingForChip, "Waiting for a chip", "Ожидание микросхемы"},
    {ProductionText::Programming, "Programming", "Программирование"},
    {ProductionText::RemoveChip, "Remove the chip", "Извлеките микросхему"},
    {ProductionText::Stopped, "Stopped", "Остановлено"},
    {ProductionText::SerialNumber, "Serial number: %1", "Серийный номер: %1"},
    {ProductionText::NoBoards, "Name at least one port or simulated board.",
     "Укажите хотя бы один порт или имитатор платы."},
    {ProductionText::EnterPassword,
     "Password to leave production mode:", "Пароль для выхода из режима производства:"},
    {ProductionText::WrongPassword, "Wrong password.", "Неверный пароль."},
    {ProductionText::StoreFailed, "The serial-number store %1 cannot be used: %2",
     "Хранилище серийных номеров %1 недоступно: %2"},
    {ProductionText::LineStopped, "The line stopped: %1", "Линия остановлена: %1"},
};

} // namespace

const char* productionText(ProductionText id, Language language) {
    for (const Row& row : kRows)
        if (row.id == id) return language == Language::Russian ? row.russian : row.english;
    return "";
}

} // namespace tovel
