// Random rosters with random bytes in every place the editor does not show,
// random edits through the real window, and after every write a whole-file
// comparison against a model: the files may differ from what they were only
// in the shown player's fields, each holding exactly the value the window
// showed when he was left (which takes in the editor's normalisations: a
// rookie flag of Y or N, a hand of 0 or 1, a fighting value of 0 to 6, NULs
// after a name, the weight class of a changed weight).

#include "bytecompare.h"
#include "editorfixture.h"
#include "messagescript.h"
#include "modalhelper.h"

#include "player/valuerules.h"

#include "fieldrows.h"
#include "files/codepage.h"
#include "player/ratings.h"
#include "player/scales.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>

using namespace Puckdex;

namespace {

// Fixed, so a failure can be replayed; each seed is a roster of its own.
const QList<quint32> kSeeds = {3, 17,    29,    101,    256,  1996, 4242,  65537,
                               7, 90210, 31337, 123456, 2718, 8080, 99991, 1u << 31};
// Players shown, edited and left per roster.
constexpr int kSequencesPerSeed = 50;

const QString kPositions = QStringLiteral("GDLCR");

QList<qint64> playerOffsets(qint64 keySize)
{
    QList<qint64> offsets;
    for (qint64 at = 0; at + PlayerRecord::Size <= qMin(keySize, GameFiles::KeyRegionOneEnd);
         at += PlayerRecord::Size)
        offsets.append(at);
    for (qint64 at = GameFiles::KeyRegionTwoStart; at + PlayerRecord::Size <= keySize;
         at += PlayerRecord::Size)
        offsets.append(at);
    return offsets;
}

// Random bytes in every place the editor must keep, and stored values that
// the editor shows in a normalised form.
void scramble(EditorFixture &f, quint32 seed)
{
    QVERIFY(Sample::writeBaseRosters(f.dir.path(), seed).ok());
    QRandomGenerator rng(seed ^ 0x5EEDu);
    const auto any = [&] { return char(rng.bounded(256)); };
    const auto nonZero = [&] { return char(rng.bounded(1, 256)); };

    QByteArray teams = readFile(f.path("teams.db"));
    for (qsizetype team = 0; team + TeamRecord::Size <= teams.size(); team += TeamRecord::Size) {
        for (int i = 3; i < 5; ++i)
            teams[team + i] = any();
        for (int i = 46; i < TeamRecord::Size; ++i)
            teams[team + i] = any();
    }

    QByteArray key = f.key();
    QByteArray att = f.att();
    for (qint64 i = GameFiles::KeyRegionOneEnd; i < GameFiles::KeyRegionTwoStart; ++i)
        key[i] = any();
    for (const qint64 at : playerOffsets(key.size())) {
        for (int i = 40; i < 48; ++i)
            key[at + i] = any();
        key[at + 59] = any();
        for (const FieldSpan name : {PlayerRecord::FirstName, PlayerRecord::LastName}) {
            const qsizetype nul = key.indexOf('\0', at + name.offset);
            for (qsizetype i = nul + 1; nul >= 0 && i < at + name.offset + name.width; ++i)
                key[i] = nonZero();
        }
        if (rng.bounded(10) == 0) {
            char flag = any();
            while (flag == 'Y' || flag == 'N')
                flag = any();
            key[at + PlayerRecord::RookieFlagByte] = flag;
        }
        PlayerRecord player;
        player.assign(key.mid(at, PlayerRecord::Size));
        const bool goalie = player.isGoalie();
        // A letter the game does not know; only on skaters, whose 21-byte
        // record is what a skater's letter reads.
        if (!goalie && rng.bounded(20) == 0)
            key[at + PlayerRecord::PositionByte] = "XQ ?\0"[rng.bounded(5)];

        const qint64 a = player.attribOffset();
        if (a < 0 || a + SkaterAttribRecord::Size > att.size())
            continue;
        const QList<int> unshown =
            goalie ? QList<int>{5, 9, 12, 13, 14, 15} : QList<int>{8, 15, 16, 17, 18};
        for (const int b : unshown)
            att[a + b] = any();
        if (rng.bounded(5) == 0)
            att[a] = char(rng.bounded(2, 256)); // a hand other than 0 or 1
        if (!goalie && rng.bounded(5) == 0)
            att[a + 20] = char(rng.bounded(7, 14)); // fighting the game never writes
    }
    QVERIFY(writeFile(f.path("teams.db"), teams));
    QVERIFY(writeFile(f.path("key.db"), key));
    QVERIFY(writeFile(f.path("att.db"), att));

    // Templates with starred fields and values off their limits and grids.
    QByteArray ini = "[Puckdex]\r\n";
    for (int i = 0; i < 17; ++i) {
        const int value = rng.bounded(4) == 0 ? 999 : rng.bounded(-20, 300);
        ini += "StandardForward" + QByteArray::number(i) + "=" + QByteArray::number(value) + "\r\n";
    }
    for (int i = 0; i < 12; ++i) {
        const int value = rng.bounded(4) == 0 ? 999 : rng.bounded(-20, 300);
        ini += "StandardGoalie" + QByteArray::number(i) + "=" + QByteArray::number(value) + "\r\n";
    }
    QVERIFY(writeFile(f.settingsPath(), ini));
}

// What the window shows of the player being left.
struct Shown
{
    qint64 offset = -1;
    bool goalie = false; // the kind of ratings shown
    QString firstName;
    QString lastName;
    QString position; // empty when no entry is selected
    QString feet;
    QString inches;
    QString weight;
    QString rookie;
    int jersey = -1;
    QString jerseyText;
    bool left = false;
    bool right = false;
    QMap<int, QString> ratings; // by attribute byte
};

std::span<const RatingField> ratingFields(bool goalie)
{
    return goalie ? std::span<const RatingField>(kGoalieRatingFields)
                  : std::span<const RatingField>(kSkaterRatingFields);
}

// The byte the game stores for a shown rating: the one that shows as that
// value (fighting is never stored above 6), or -1 when none does.
int byteShowing(Scale scale, int shown)
{
    const int highest = scale == Scale::Fighting ? 6 : 255;
    for (int b = 0; b <= highest; ++b) {
        if (shownFromStored(scale, quint8(b)) == shown)
            return b;
    }
    return -1;
}

// A name field as the game stores it: the text in its code page, then NULs
// up to the width. Empty when the text does not fit.
QByteArray nameField(const QString &text, FieldSpan field)
{
    const std::optional<QByteArray> bytes = CodePage::encode(text);
    if (!bytes || bytes->size() > field.width)
        return {};
    return *bytes + QByteArray(field.width - bytes->size(), '\0');
}

int wholeNumber(const QString &text)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok ? value : -1;
}

// A typed entry: mostly inside the field's limits, on the grid or off it,
// sometimes beyond a limit, empty or not a number at all.
QString numberText(QRandomGenerator &rng, const FieldRule &rule)
{
    switch (rng.bounded(10)) {
    case 0:
        return QString::number(rule.lower - rng.bounded(1, 60));
    case 1:
        return QString::number(rule.upper + rng.bounded(1, 200));
    case 2:
        return QString();
    case 3: {
        static const QStringList odd = {"abc", "7*", "1e2", "&H2C", " 5 5", "12.5", "-0", "+64"};
        return odd.at(rng.bounded(int(odd.size())));
    }
    case 4:
        return QString::number(rng.bounded(2) ? rule.lower : rule.upper);
    default:
        return QString::number(rng.bounded(rule.lower, rule.upper + 1));
    }
}

// A name as a user might type it: mixed case, letters of the game's code
// page beyond ASCII, blanks, hyphens; sometimes longer than the box takes.
QString nameText(QRandomGenerator &rng)
{
    static const QStringList pieces = {"mc",   "DON", "ald", "é", "Ö",   "ß",   "jean",
                                       "-",    "luc", "'",   " ", "van", "der", "Å",
                                       "berg", "o",   "x",   "ÿ", "Æ",   "ñ"};
    QString name;
    const int count = rng.bounded(0, 7);
    for (int i = 0; i < count; ++i)
        name += pieces.at(rng.bounded(int(pieces.size())));
    return name;
}

} // namespace

class TstPreservation : public QObject
{
    Q_OBJECT

private:
    int m_checked = 0;
    int m_edits = 0;
    int m_messagesAnswered = 0;
    int m_pictureQuestions = 0;

    EditorFixture *m_f = nullptr;
    MessageScript *m_messages = nullptr;
    QRandomGenerator m_rng;
    // The model: what the files must hold.
    QByteArray m_key;
    QByteArray m_att;
    QByteArray m_teams;
    bool m_unlinked = false; // the shown player's picture let go while shown

    // Types into a box as a user does and leaves it with Tab.
    void typeAndTab(QLineEdit *box, const QString &text)
    {
        EditorFixture::activate(box);
        QTest::mouseClick(box, Qt::LeftButton);
        QCoreApplication::processEvents(); // the select-all of the entry runs first
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_Delete);
        for (const QChar c : text) {
            if (c.unicode() < 0x80)
                QTest::keyClick(box, c.toLatin1());
            else
                QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
        QTest::keyClick(box, Qt::Key_Tab);
    }

    // A rename asks about the picture; the answer is random.
    void renameLastName()
    {
        const bool keep = m_rng.bounded(2);
        bool asked = false;
        whenModalShown(QStringLiteral("frmDelPlayerPic"), [&](QWidget *w) {
            asked = true;
            QTest::mouseClick(control<QPushButton>(w, keep ? "cmdYes" : "cmdNo"), Qt::LeftButton);
        });
        typeAndTab(m_f->control<QLineEdit>("txtLastName"), nameText(m_rng));
        QCOMPARE(dropPendingModalActions(), asked ? 0 : 1);
        // An unused answer must not outlive its locals into the next question.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        m_unlinked = m_unlinked || (asked && !keep);
        m_pictureQuestions += asked;
    }

    // Chooses one of the first entries of a list box at random, the focus in the box.
    void chooseEntry(const char *name, int entries)
    {
        QComboBox *box = m_f->control<QComboBox>(name);
        EditorFixture::activate(box);
        box->setFocus(Qt::TabFocusReason);
        box->setCurrentIndex(m_rng.bounded(entries));
    }

    void randomEdit()
    {
        const bool goalie = m_f->control<QGroupBox>("fraGoalies")->isEnabled();
        const bool goalieRules = m_f->window->draft()->isGoalie();
        switch (m_rng.bounded(13)) {
        case 0:
        case 1:
        case 2:
        case 3: {
            const std::span<const RatingField> fields = ratingFields(goalie);
            const RatingField &f = fields[m_rng.bounded(int(fields.size()))];
            typeAndTab(m_f->ratingBox(f.group, f.box),
                       numberText(m_rng, ratingRule(f.group, f.box, goalieRules)));
            break;
        }
        case 4:
            if (m_rng.bounded(2))
                typeAndTab(m_f->control<QLineEdit>("txtHeightFeet"),
                           numberText(m_rng, heightFeetRule()));
            else
                typeAndTab(m_f->control<QLineEdit>("txtHeightInches"),
                           numberText(m_rng, heightInchesRule()));
            break;
        case 5:
            typeAndTab(
                m_f->control<QLineEdit>("txtWeight"),
                numberText(
                    m_rng,
                    weightRule(m_f->control<QComboBox>("cboPosition")->currentIndex() == 0)));
            break;
        case 6:
            typeAndTab(m_f->control<QLineEdit>("txtFirstName"), nameText(m_rng));
            break;
        case 7:
            renameLastName();
            if (QTest::currentTestFailed())
                return;
            break;
        case 8:
            chooseEntry("cboJerseyNum", 100);
            break;
        case 9:
            chooseEntry("cboPosition", 5);
            break;
        case 10: {
            QRadioButton *hand = m_rng.bounded(2) ? m_f->control<QRadioButton>("optShootsLeft")
                                                  : m_f->control<QRadioButton>("optShootsRight");
            EditorFixture::activate(hand);
            QTest::mouseClick(hand, Qt::LeftButton);
            break;
        }
        case 11: {
            static const QStringList rookies = {"Y", "N", "y", "n", "x", "", "yes", "No", "7"};
            m_messages->answer(m_rng.bounded(2) ? MessageAnswer::Yes : MessageAnswer::No);
            typeAndTab(m_f->control<QLineEdit>("txtRookie"),
                       rookies.at(m_rng.bounded(int(rookies.size()))));
            break;
        }
        default:
            EditorFixture::activate(m_f->control<QPushButton>("cmdApplyStd"));
            QTest::mouseClick(m_f->control<QPushButton>("cmdApplyStd"), Qt::LeftButton);
            break;
        }
        m_messages->answers.clear();
        ++m_edits;
        checkNoFailureShown();
    }

    void checkNoFailureShown()
    {
        for (const MessageRequest &m : std::as_const(m_messages->shown)) {
            QCOMPARE(m.title, QStringLiteral("Puckdex"));
            QVERIFY2(!m.text.contains(QStringLiteral("could not")), qPrintable(m.text));
        }
    }

    // The focus leaves the field being edited, so its check has run before
    // the window is read.
    void settle()
    {
        QListWidget *list = m_f->control<QListWidget>("lstPlayers");
        EditorFixture::activate(list);
        list->setFocus(Qt::TabFocusReason);
    }

    Shown shown()
    {
        Shown s;
        s.offset = m_f->shownOffset();
        s.goalie = m_f->control<QGroupBox>("fraGoalies")->isEnabled();
        s.firstName = m_f->control<QLineEdit>("txtFirstName")->text();
        s.lastName = m_f->control<QLineEdit>("txtLastName")->text();
        if (m_f->control<QComboBox>("cboPosition")->currentIndex() >= 0)
            s.position = m_f->control<QComboBox>("cboPosition")->currentText();
        s.feet = m_f->control<QLineEdit>("txtHeightFeet")->text();
        s.inches = m_f->control<QLineEdit>("txtHeightInches")->text();
        s.weight = m_f->control<QLineEdit>("txtWeight")->text();
        s.rookie = m_f->control<QLineEdit>("txtRookie")->text();
        s.jersey = m_f->control<QComboBox>("cboJerseyNum")->currentIndex();
        s.jerseyText = m_f->control<QComboBox>("cboJerseyNum")->currentText();
        s.left = m_f->control<QRadioButton>("optShootsLeft")->isChecked();
        s.right = m_f->control<QRadioButton>("optShootsRight")->isChecked();
        for (const RatingField &f : ratingFields(s.goalie))
            s.ratings.insert(f.byte, m_f->ratingBox(f.group, f.box)->text());
        return s;
    }

    // The model after the player was left: his records as they were, with
    // each field he showed holding the value shown.
    void expectWritten(const Shown &s)
    {
        PlayerRecord key;
        QVERIFY(key.assign(m_key.mid(s.offset, PlayerRecord::Size)));
        if (!s.position.isEmpty())
            key.setPosition(s.position.at(0).toLatin1());
        const int feet = wholeNumber(s.feet);
        const int inches = wholeNumber(s.inches);
        const int weight = wholeNumber(s.weight);
        QVERIFY2(feet >= 5 && feet <= 6 && inches >= 0 && inches <= 11,
                 qPrintable(s.feet + QLatin1Char('/') + s.inches));
        QVERIFY2(weight >= 155 && weight <= 254, qPrintable(s.weight));
        key.setHeightInches(quint8(feet * 12 + inches));
        key.setWeightPounds(quint8(weight));
        QVERIFY2(s.rookie == QLatin1String("Y") || s.rookie == QLatin1String("N"),
                 qPrintable(s.rookie));
        key.setRookieFlag(s.rookie.at(0).toLatin1());
        if (s.jersey >= 0) {
            QVERIFY(s.jerseyText != TakenJerseyText);
            key.setJerseyNumber(quint8(s.jersey));
        }
        QByteArray keyBytes = key.toByteArray();
        for (const auto &[field, text] : {std::pair(PlayerRecord::FirstName, s.firstName),
                                          std::pair(PlayerRecord::LastName, s.lastName)}) {
            const QByteArray stored = nameField(text, field);
            QVERIFY2(!stored.isEmpty(), qPrintable(text));
            keyBytes.replace(field.offset, field.width, stored);
        }
        if (m_unlinked)
            keyBytes.replace(PlayerRecord::PictureCodeA.offset, 8, "NONENONE");
        m_key.replace(s.offset, PlayerRecord::Size, keyBytes);

        const qint64 at = key.attribOffset();
        QVERIFY(s.left != s.right);
        m_att[at] = s.left ? 0 : 1;
        for (const RatingField &f : ratingFields(s.goalie)) {
            const int stored = byteShowing(f.scale, wholeNumber(s.ratings.value(f.byte)));
            QVERIFY2(stored >= 0, qPrintable(s.ratings.value(f.byte)));
            m_att[at + f.byte] = char(stored);
        }
        // The class of the weight shown: a changed weight brings its own; an
        // unchanged one already has it in every sample roster.
        m_att[at + (s.goalie ? GoalieAttribRecord::WeightClassByte
                             : SkaterAttribRecord::WeightClassByte)] = char(weightClass(weight));
    }

    void checkFiles()
    {
        const QByteArray key = m_f->key();
        const QByteArray att = m_f->att();
        QVERIFY2(key == m_key, qPrintable("key.db: " + firstDifference(key, m_key)));
        QVERIFY2(att == m_att, qPrintable("att.db: " + firstDifference(att, m_att)));
        QVERIFY(readFile(m_f->path("teams.db")) == m_teams);
    }

    // The newly shown player's names and ratings are what the files hold.
    void checkLoaded()
    {
        const qint64 offset = m_f->shownOffset();
        QVERIFY(offset >= 0);
        PlayerRecord key;
        key.assign(m_key.mid(offset, PlayerRecord::Size));
        QCOMPARE(m_f->control<QLineEdit>("txtFirstName")->text(), key.firstName());
        QCOMPARE(m_f->control<QLineEdit>("txtLastName")->text(), key.lastName());
        const bool goalie = key.isGoalie();
        QCOMPARE(m_f->control<QGroupBox>("fraGoalies")->isEnabled(), goalie);
        for (const RatingField &f : ratingFields(goalie)) {
            QCOMPARE(m_f->ratingBox(f.group, f.box)->text(),
                     QString::number(
                         shownFromStored(f.scale, quint8(m_att.at(key.attribOffset() + f.byte)))));
        }
        m_unlinked = false;
    }

    void showRandomPlayerOf(int team)
    {
        QVERIFY(m_f->chooseTeam(team));
        QListWidget *list = m_f->control<QListWidget>("lstPlayers");
        QVERIFY(list->count() > 1);
        const qint64 offset =
            list->item(m_rng.bounded(list->count()))->data(Qt::UserRole).toLongLong();
        QVERIFY(m_f->clickPlayer(offset));
    }

private slots:
    void cleanup()
    {
        QCOMPARE(dropPendingModalActions(), 0);
        for (QWidget *w : QApplication::topLevelWidgets())
            w->close();
    }

    void cleanupTestCase()
    {
        qInfo("%d random edit sequences checked against the model (%d edits, %d messages "
              "answered, %d picture questions)",
              m_checked, m_edits, m_messagesAnswered, m_pictureQuestions);
    }

    void randomEditsChangeOnlyWhatWasShown_data()
    {
        QTest::addColumn<quint32>("seed");
        for (const quint32 seed : kSeeds)
            QTest::addRow("seed %u", seed) << seed;
    }
    void randomEditsChangeOnlyWhatWasShown()
    {
        QFETCH(quint32, seed);
        EditorFixture f;
        QVERIFY(f.open([seed](EditorFixture &fx) { scramble(fx, seed); }));
        MessageScript messages;
        m_f = &f;
        m_messages = &messages;
        m_rng.seed(seed);
        m_key = f.key();
        m_att = f.att();
        m_teams = readFile(f.path("teams.db"));
        const auto forget = qScopeGuard([this] {
            m_f = nullptr;
            m_messages = nullptr;
        });

        showRandomPlayerOf(m_rng.bounded(Sample::kTeamCount));
        checkLoaded();
        for (int sequence = 0; sequence < kSequencesPerSeed; ++sequence) {
            for (int edits = m_rng.bounded(0, 8); edits > 0; --edits) {
                randomEdit();
                if (QTest::currentTestFailed())
                    return;
            }
            settle();
            const Shown left = shown();
            const int team = m_f->control<QComboBox>("cboTeams")->currentData().toInt();

            if (sequence == kSequencesPerSeed - 1) {
                f.window->close();
                QVERIFY(!f.window->isVisible());
            } else if (m_rng.bounded(3) == 0) {
                int other = m_rng.bounded(Sample::kTeamCount - 1);
                other += other >= team;
                showRandomPlayerOf(other);
            } else {
                QListWidget *list = m_f->control<QListWidget>("lstPlayers");
                int row = m_rng.bounded(list->count() - 1);
                row += row >= list->row(list->selectedItems().first());
                QVERIFY(f.clickPlayer(list->item(row)->data(Qt::UserRole).toLongLong()));
            }
            expectWritten(left);
            checkFiles();
            checkNoFailureShown();
            if (QTest::currentTestFailed()) {
                qWarning("seed %u, sequence %d", seed, sequence);
                return;
            }
            if (f.window->isVisible())
                checkLoaded();
            ++m_checked;
        }
        m_messagesAnswered += int(messages.shown.size());
    }
};

QTEST_MAIN(TstPreservation)
#include "tst_preservation.moc"
