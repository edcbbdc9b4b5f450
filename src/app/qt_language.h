// Qt's own texts (the standard buttons of message boxes and dialogs, the file dialog) in the
// program's language: the Russian translation of Qt is installed alongside Russian, and removed
// again for English.
#pragma once

#include <QObject>
#include <QTranslator>

#include "i18n/messages.h"

namespace tovel::app {

class QtLanguage : public QObject {
    Q_OBJECT

public:
    explicit QtLanguage(QObject* parent = nullptr) : QObject(parent) {}
    ~QtLanguage() override;

    // False when Russian was asked for and Qt's translation could not be loaded (Qt then speaks
    // English; the program's own texts are Russian all the same).
    bool apply(Language language);

private:
    QTranslator qtbase_;
    bool installed_ = false;
};

} // namespace tovel::app
