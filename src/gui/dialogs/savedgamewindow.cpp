#include "dialogs/savedgamewindow.h"

#include "ui_savedgamewindow.h"

#include "widgets/messagebox.h"
#include "widgets/windowsetup.h"

#include <QFontDatabase>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>

#include <algorithm>

namespace Puckdex {

namespace {

// Left of the list and the buttons, and as much again on their right.
constexpr int kMargin = 8;

} // namespace

QString savedGameName(const QString &description, int gameNumber)
{
    QString name = description;
    while (!name.isEmpty() && name.back().isSpace())
        name.chop(1);
    if (name.isEmpty())
        return QStringLiteral("Game %1").arg(gameNumber);
    return QStringLiteral("%1 (game %2)").arg(name).arg(gameNumber);
}

SavedGameWindow::SavedGameWindow(QWidget *parent)
    : StartupDialog(parent), m_ui(std::make_unique<Ui::SavedGameWindow>())
{
    m_ui->setupUi(this);
    setFixedDialogFrame(this);
    connect(m_ui->cmdOK, &QPushButton::clicked, this, &SavedGameWindow::choose);
    connect(m_ui->cmdCancel, &QPushButton::clicked, this, &SavedGameWindow::askExit);
    connect(m_ui->lstSeasonToEdit, &QListWidget::itemDoubleClicked, this, &SavedGameWindow::choose);
    fitWidth();
    centreOnScreen(this);
}

SavedGameWindow::~SavedGameWindow() = default;

void SavedGameWindow::offerBaseRosters()
{
    m_baseRosters = true;
    fillList();
}

void SavedGameWindow::addGame(const QString &description, int gameNumber, const QString &gaps)
{
    m_games.append({description, gameNumber, gaps});
    fillList();
}

void SavedGameWindow::fillList()
{
    QListWidget *list = m_ui->lstSeasonToEdit;
    list->clear();
    // Sorted by description, as the program's sorted lists sort; named with
    // their numbers once all are in place.
    for (const Game &game : std::as_const(m_games))
        insertSorted(list, game.description, game.number);
    for (int row = 0; row < list->count(); ++row) {
        QListWidgetItem *item = list->item(row);
        const int number = item->data(Qt::UserRole).toInt();
        QString text = savedGameName(item->text(), number);
        const auto game = std::find_if(m_games.cbegin(), m_games.cend(),
                                       [number](const Game &g) { return g.number == number; });
        if (game != m_games.cend() && !game->gaps.isEmpty()) {
            // Shown, so the user sees why it is not offered, but not chosen.
            text += QStringLiteral(": ") + game->gaps;
            item->setFlags(item->flags() & ~(Qt::ItemIsEnabled | Qt::ItemIsSelectable));
        }
        item->setText(text);
    }
    // The base rosters carry no game number. Chosen from the start, so that
    // Enter edits them, as it did before saved games beside them were offered.
    if (m_baseRosters) {
        list->insertItem(0, QStringLiteral("Base rosters"));
        list->setCurrentRow(0);
    }
    fitWidth();
}

void SavedGameWindow::fitWidth()
{
    // Wide enough for the caption, and for the longest entry, as far as the
    // screen allows. Window managers cut a caption short rather than widen
    // the frame. The caption is measured in bold in the system's title font
    // or the program's, whichever is wider; many window managers show an
    // icon and three buttons beside it whatever the window asks for, each
    // about as wide as the title bar is high.
    QFont titleFont = QFontDatabase::systemFont(QFontDatabase::TitleFont);
    QFont ownFont = font();
    int captionWidth = 0;
    int titleBar = style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this);
    for (QFont *caption : {&titleFont, &ownFont}) {
        caption->setBold(true);
        const QFontMetrics metrics(*caption);
        captionWidth = std::max(captionWidth, metrics.horizontalAdvance(windowTitle()));
        titleBar = std::max(titleBar, metrics.height() + 6);
    }
    int wanted = captionWidth + 4 * titleBar;

    QListWidget *list = m_ui->lstSeasonToEdit;
    const QFontMetrics entries = list->fontMetrics();
    int longest = 0;
    for (int row = 0; row < list->count(); ++row)
        longest = std::max(longest, entries.horizontalAdvance(list->item(row)->text()));
    const int listSides = 2 * list->frameWidth() + list->verticalScrollBar()->sizeHint().width()
                          + entries.averageCharWidth() * 2;
    wanted = std::max(wanted, longest + listSides + 2 * kMargin);

    if (const QScreen *shown = screen())
        wanted = std::min(wanted, shown->availableGeometry().width() * 3 / 4);
    const int width = std::max(wanted, twips(2652));
    if (width == this->width())
        return;
    setFixedSize(width, height());
    const QList<QWidget *> rows{list, m_ui->cmdOK, m_ui->cmdCancel};
    for (QWidget *row : rows)
        row->resize(width - 2 * kMargin, row->height());
    centreOnScreen(this);
}

void SavedGameWindow::focusAfterNo()
{
    m_ui->lstSeasonToEdit->setFocus();
}

void SavedGameWindow::showEvent(QShowEvent *event)
{
    StartupDialog::showEvent(event);
    m_ui->lstSeasonToEdit->setFocus();
}

void SavedGameWindow::choose()
{
    // A game that cannot be chosen cannot be selected either.
    const QList<QListWidgetItem *> selected = m_ui->lstSeasonToEdit->selectedItems();
    if (selected.isEmpty()) {
        MessageBox::show(this, QStringLiteral("Please select a game to edit."),
                         MessageStyle::Plain);
        m_ui->lstSeasonToEdit->setFocus();
        return;
    }
    const QVariant game = selected.first()->data(Qt::UserRole);
    m_game = game.isValid() ? std::optional<int>(game.toInt()) : std::nullopt;
    accept();
}

} // namespace Puckdex
