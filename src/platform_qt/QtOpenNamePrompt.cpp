#include "platform_qt/QtOpenNamePrompt.h"

#include <QFile>
#include <QFileDialog>
#include <QStringList>

QtOpenNamePrompt::QtOpenNamePrompt(QWidget* parent) : parent_(parent) {}

QString QtOpenNamePrompt::NameFilter(const Filter& filter) {
    const QString pattern = QString::fromStdString(filter.pattern).simplified();
    QString text = QString::fromStdString(filter.text).simplified();
    const QString shown = QStringLiteral("(%1)").arg(pattern);
    if (!pattern.isEmpty() && text.endsWith(shown)) {
        text.chop(shown.size());
        text = text.trimmed();
    }
    QStringList patterns;
    for (const QString& part : pattern.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString one = part.trimmed();
        patterns.append(one == QLatin1String("*.*") ? QStringLiteral("*") : one);
    }
    if (patterns.isEmpty()) {
        patterns.append(QStringLiteral("*"));
    }
    const QString joined = patterns.join(QLatin1Char(' '));
    return text.isEmpty() ? joined : QStringLiteral("%1 (%2)").arg(text, joined);
}

bool QtOpenNamePrompt::Prompt(const std::string& title, const std::vector<Filter>& filters,
                              int& filterIndex, std::string& path) {
    QFileDialog dialog(parent_, QString::fromStdString(title));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    QStringList nameFilters;
    for (const Filter& filter : filters) {
        nameFilters.append(NameFilter(filter));
    }
    if (!nameFilters.isEmpty()) {
        dialog.setNameFilters(nameFilters);
        const bool inRange = filterIndex >= 0 && filterIndex < nameFilters.size();
        dialog.selectNameFilter(nameFilters.at(inRange ? filterIndex : 0));
    }
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty()) {
        return false;
    }
    path = QFile::encodeName(chosen.first()).toStdString();
    const qsizetype index = nameFilters.indexOf(dialog.selectedNameFilter());
    if (index >= 0) {
        filterIndex = static_cast<int>(index);
    }
    return true;
}
