#include "app/qt_language.h"

#include <QCoreApplication>
#include <QLibraryInfo>

namespace tovel::app {

QtLanguage::~QtLanguage() {
    if (installed_) QCoreApplication::removeTranslator(&qtbase_);
}

bool QtLanguage::apply(Language language) {
    if (installed_) {
        QCoreApplication::removeTranslator(&qtbase_);
        installed_ = false;
    }
    if (language == Language::English) return true;
    if (!qtbase_.load(QStringLiteral("qtbase_ru"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    installed_ = QCoreApplication::installTranslator(&qtbase_);
    return installed_;
}

} // namespace tovel::app

#include "moc_qt_language.cpp"
