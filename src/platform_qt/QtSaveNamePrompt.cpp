#include "platform_qt/QtSaveNamePrompt.h"

#include "document/SaveDialogState.h"
#include "document/SaveTypes.h"
#include "platform_qt/QtOpenNamePrompt.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QStringList>

#include <algorithm>

namespace {

const char* const kSortText = "Sort Data Points";
const char* const kSaveCopyText = "Save Bitmap Copy";

QString FromNative(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string ToNative(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QCheckBox* MakeCheckBox(const char* text, bool checked, QWidget* parent) {
    auto* box = new QCheckBox(QString::fromUtf8(text), parent);
    box->setObjectName(QString::fromUtf8(text));
    box->setAccessibleName(QString::fromUtf8(text));
    box->setChecked(checked);
    return box;
}

class SaveDialog : public QFileDialog {
public:
    SaveDialog(QWidget* parent, const QString& title, const SaveDialogState& state)
        : QFileDialog(parent, title), state_(state) {
        setOption(QFileDialog::DontUseNativeDialog);
        setAcceptMode(QFileDialog::AcceptSave);
        setFileMode(QFileDialog::AnyFile);
        // Replacing is confirmed in accept(), for the name the save will write.
        setOption(QFileDialog::DontConfirmOverwrite);
        for (int i = 1; i <= SaveTypes::kCount; ++i) {
            filters_.append(
                QtOpenNamePrompt::NameFilter({SaveTypes::At(i).filter, SaveTypes::At(i).pattern}));
        }
        setNameFilters(filters_);
        // The filter first: selecting one rewrites the name box.
        selectNameFilter(filters_.at(std::clamp(state_.Filter(), 1, SaveTypes::kCount) - 1));
        selectFile(FromNative(state_.Name()));

        auto* panel = new QWidget(this);
        auto* row = new QHBoxLayout(panel);
        row->setContentsMargins(0, 0, 0, 0);
        sort_ = MakeCheckBox(kSortText, state_.Sort(), panel);
        saveCopy_ = MakeCheckBox(kSaveCopyText, state_.SaveCopy(), panel);
        row->addWidget(sort_);
        row->addWidget(saveCopy_);
        row->addStretch();
        if (auto* grid = qobject_cast<QGridLayout*>(layout())) {
            grid->addWidget(panel, grid->rowCount(), 0, 1, grid->columnCount());
        } else if (layout() != nullptr) {
            layout()->addWidget(panel);
        }
        ShowEnabling();

        connect(this, &QFileDialog::filterSelected, this,
                [this](const QString& filter) { FilterChosen(filter); });
    }

    void accept() override {
        const QStringList files = selectedFiles();
        const QFileInfo typed(files.value(0));
        if (files.isEmpty() || typed.isDir()) {
            QFileDialog::accept(); // Qt opens the folder
            return;
        }
        if (!QFileInfo(typed.absolutePath()).isDir()) {
            QMessageBox::warning(this, windowTitle(),
                                 QStringLiteral("%1\nThe folder does not exist.")
                                     .arg(QDir::toNativeSeparators(typed.absolutePath())));
            return;
        }
        SaveDialogState probe = state_;
        probe.SelectFilter(SelectedFilter());
        probe.SetName(ToNative(typed.absoluteFilePath()));
        const QString written = FromNative(probe.ChosenName());
        if (QFileInfo::exists(written) &&
            QMessageBox::warning(this, windowTitle(),
                                 QStringLiteral("%1 already exists.\nDo you want to replace it?")
                                     .arg(QDir::toNativeSeparators(written)),
                                 QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) != QMessageBox::Yes) {
            return;
        }
        QFileDialog::accept();
    }

    // 1-based, as the state counts.
    int SelectedFilter() const {
        const qsizetype index = filters_.indexOf(selectedNameFilter());
        return index >= 0 ? static_cast<int>(index) + 1 : state_.Filter();
    }
    bool SortChecked() const { return sort_->isChecked(); }
    bool SaveCopyChecked() const { return saveCopy_->isChecked(); }
    const SaveDialogState& State() const { return state_; }

private:
    // The name box holds a name, perhaps behind a typed folder; only the name is rewritten,
    // so a dot in a folder never counts as the start of an extension.
    void FilterChosen(const QString& filter) {
        const qsizetype index = filters_.indexOf(filter);
        if (index < 0) {
            return;
        }
        auto* nameEdit = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        const QString typed = nameEdit != nullptr ? nameEdit->text() : QString();
        const qsizetype slash = typed.lastIndexOf(QLatin1Char('/'));
        state_.SetName(ToNative(typed.mid(slash + 1)));
        state_.SelectFilter(static_cast<int>(index) + 1);
        const QString rewritten = typed.left(slash + 1) + FromNative(state_.Name());
        if (nameEdit != nullptr) {
            nameEdit->setText(rewritten);
        } else {
            selectFile(rewritten);
        }
        ShowEnabling();
    }

    void ShowEnabling() {
        sort_->setEnabled(state_.SortEnabled());
        saveCopy_->setEnabled(state_.SaveCopyEnabled());
    }

    // A copy, so that Cancel leaves the caller's state as it was.
    SaveDialogState state_;
    QStringList filters_;
    QCheckBox* sort_ = nullptr;
    QCheckBox* saveCopy_ = nullptr;
};

} // namespace

QtSaveNamePrompt::QtSaveNamePrompt(QWidget* parent) : parent_(parent) {}

bool QtSaveNamePrompt::Prompt(SaveDialogState& state, const std::string& title) {
    SaveDialog dialog(parent_, QString::fromStdString(title), state);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty()) {
        return false;
    }
    SaveDialogState chosen = dialog.State();
    if (dialog.SelectedFilter() != chosen.Filter()) {
        chosen.SelectFilter(dialog.SelectedFilter());
    }
    chosen.SetName(ToNative(QFileInfo(files.first()).absoluteFilePath()));
    chosen.SetSort(dialog.SortChecked());
    chosen.SetSaveCopy(dialog.SaveCopyChecked());
    state = chosen;
    return true;
}
