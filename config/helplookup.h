#pragma once

#include "status/statusparser.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

class PrinterDesc;

// Help pages are installed per model family and language, in one of two layouts beside the
// application directory: "../share/help/<family>/" with the help map and one folder per
// language (plus "common"), or the older "../share/translation/<locale>/help/<family>/" with
// the help map and the pages together. A family folder's name contains the model name.

// The model name as family folders contain it: blanks as "_", lower case.
QString helpModelName(const QByteArray &product);

// Names of the subdirectories of a directory, in case-insensitive order, without hidden ones.
QStringList helpSubdirectories(const QString &directory);

// The names that contain the model name, in any case.
QStringList modelDirectories(const QStringList &names, const QString &model);

// The absolute path of the first family folder whose name contains the model name, in any
// case; null when there is none.
QString findModelDirectory(const QString &directory, const QString &model);

// The language folder of a family folder of the newer layout: the first whose name begins with
// the locale, in any case, else the first that begins with "en"; "common" never counts. Null
// when there is none.
QString findLanguageDirectory(const QString &familyDirectory, const QString &locale);

// The family folder of the older layout below the translation directory, for the locale or
// else for English; null after logging, for the method, why there is none. When the locale has
// no folder, a family missing under English leaves English's help folder itself.
QString findOldLayoutHelpDirectory(const QString &translationDirectory, const QString &locale,
                                   const QString &model, const char *method);

// The absolute path of the printer's help map, or empty after logging why. The help and the
// translation directories are the absolute "../share/help" and "../share/translation/".
QString findHelpMap(const PrinterDesc *printer, const QString &helpDirectory,
                    const QString &translationDirectory);

// The absolute path of the help page for the status, or empty after logging why. The status
// table gives the offline pages of the pseudo-statuses.
QString findStatusHelp(const PrinterDesc *printer, const StatusDesc &record,
                       const StatusTable &table, const QString &helpDirectory,
                       const QString &translationDirectory);

// The display names of the model families that have help, old layout first. Paths are taken
// relative to the application directory (the working directory by default). Touches only the
// file system and the log, so any thread may call it.
QStringList getHelpSupportedModels(const QString &applicationDirectory = QStringLiteral("."));
