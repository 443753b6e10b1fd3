#pragma once

class QCoreApplication;

namespace redten {

// Qt's own dialogs and buttons ("OK", "Cancel") in Simplified Chinese, from
// the translations the system ships. False when none are installed; the
// table's own texts do not depend on them.
bool InstallQtChineseTranslations(QCoreApplication& app);

}  // namespace redten
