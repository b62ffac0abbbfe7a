#include "shared/file_chooser.h"

#include "platform/listed_path.h"
#include "platform/local_names.h"
#include "playlist/paths.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int NameRole = Qt::UserRole;
constexpr int FolderRole = Qt::UserRole + 1;
constexpr QSize StartSize(560, 400);

// Where the last choice was made: the next chooser of this run opens there.
QString& LastFolder() {
    static QString folder = QDir::homePath();
    return folder;
}

QToolButton* ToolButton(QWidget* parent, QStyle::StandardPixmap icon, const QString& name) {
    auto* button = new QToolButton(parent);
    button->setIcon(parent->style()->standardIcon(icon));
    button->setToolTip(name);
    button->setAccessibleName(name);
    return button;
}

} // namespace

FileChooser::FileChooser(FolderBrowser::Shows shows, QWidget* parent)
    : QDialog(parent), browser_(shows),
      choosesFiles_(shows == FolderBrowser::Shows::FoldersAndFiles), pathLine_(new QLineEdit(this)),
      list_(new QListWidget(this)), filterBox_(new QComboBox(this)),
      buttons_(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this)) {
    setModal(true);
    resize(StartSize);
    const bool files = choosesFiles_;
    auto* up = ToolButton(this, QStyle::SP_FileDialogToParent, QStringLiteral("上一级文件夹"));
    auto* home = ToolButton(this, QStyle::SP_DirHomeIcon, QStringLiteral("主文件夹"));
    pathLine_->setAccessibleName(QStringLiteral("位置"));
    list_->setAccessibleName(files ? QStringLiteral("文件") : QStringLiteral("文件夹"));
    filterBox_->setAccessibleName(QStringLiteral("文件类型"));
    buttons_->button(QDialogButtonBox::Ok)
        ->setText(files ? QStringLiteral("打开") : QStringLiteral("选择"));
    buttons_->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("位置："), this));
    top->addWidget(pathLine_, 1);
    top->addWidget(up);
    top->addWidget(home);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(filterBox_, 1);
    bottom->addWidget(buttons_);
    filterBox_->setVisible(files);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(list_, 1);
    layout->addLayout(bottom);

    connect(up, &QToolButton::clicked, this, [this] {
        if (browser_.up())
            showFolder();
    });
    connect(home, &QToolButton::clicked, this, [this] { setFolder(QDir::homePath()); });
    // Enter in the list or the location line acts there, not on the
    // dialog's default button.
    pathLine_->installEventFilter(this);
    list_->installEventFilter(this);
    connect(list_, &QListWidget::itemDoubleClicked, this, &FileChooser::openItem);
    connect(filterBox_, &QComboBox::currentIndexChanged, this, [this](int index) {
        browser_.setPatterns(FilterPatterns(filters_.value(index)));
        showFolder();
    });
    connect(buttons_, &QDialogButtonBox::accepted, this, &FileChooser::choose);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
    if (!setFolder(LastFolder()))
        setFolder(QDir::homePath());
}

void FileChooser::setNameFilters(const QStringList& filters) {
    filters_ = filters;
    const QSignalBlocker quiet(filterBox_);
    filterBox_->clear();
    filterBox_->addItems(filters);
    browser_.setPatterns(FilterPatterns(filters.value(0)));
    showFolder();
}

void FileChooser::selectNameFilter(const QString& filter) {
    filterBox_->setCurrentIndex(int(filters_.indexOf(filter)));
}

bool FileChooser::setFolder(const QString& folder) {
    if (!browser_.enter(folder))
        return false;
    showFolder();
    return true;
}

QStringList FileChooser::shownNames() const {
    QStringList names;
    for (int i = 0; i < list_->count(); ++i)
        names.append(list_->item(i)->text());
    return names;
}

void FileChooser::showFolder() {
    pathLine_->setText(ReadableName(browser_.folder()));
    list_->clear();
    for (const FolderBrowser::Entry& entry : browser_.entries()) {
        const QIcon icon =
            style()->standardIcon(entry.folder ? QStyle::SP_DirIcon : QStyle::SP_FileIcon);
        auto* item = new QListWidgetItem(icon, ReadableName(entry.name), list_);
        item->setData(NameRole, entry.name);
        item->setData(FolderRole, entry.folder);
    }
}

bool FileChooser::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key != Qt::Key_Return && key != Qt::Key_Enter)
        return false;
    if (watched == pathLine_)
        takeTypedPath();
    else if (const QList<QListWidgetItem*> selected = list_->selectedItems(); !selected.isEmpty())
        openItem(selected.first());
    return true;
}

void FileChooser::openItem(QListWidgetItem* item) {
    const QString path = browser_.pathOf(item->data(NameRole).toString());
    if (item->data(FolderRole).toBool())
        setFolder(path);
    else
        finishWith(path);
}

void FileChooser::takeTypedPath() {
    const QString typed = pathLine_->text().trimmed();
    const QString path = ResolveListedPath(QDir(browser_.folder()).absoluteFilePath(typed));
    if (IsLocalFolder(path))
        setFolder(path);
    else if (choosesFiles_ && IsLocalFile(path))
        finishWith(path);
}

void FileChooser::choose() {
    const QList<QListWidgetItem*> selected = list_->selectedItems();
    if (selected.isEmpty()) {
        if (!choosesFiles_)
            finishWith(browser_.folder());
        return;
    }
    if (choosesFiles_)
        openItem(selected.first());
    else
        finishWith(browser_.pathOf(selected.first()->data(NameRole).toString()));
}

void FileChooser::finishWith(const QString& path) {
    chosen_ = path;
    LastFolder() = browser_.folder();
    accept();
}
