#pragma once

#include <optional>

#include <QDialog>
#include <QPoint>

class QLineEdit;
class QPlainTextEdit;

namespace pelmio {

class HeadwordSpeaker;
class PronunciationField;
struct EntryFields;

// The modeless detail window: headword, meaning, base form and the
// pronunciation drawn as glyphs. Closing it only hides it.
class CDetailDlg : public QDialog {
    Q_OBJECT

public:
    // speechEngine: the engine that speaks the headword; empty for the
    // system's default.
    explicit CDetailDlg(const QString& speechEngine = {});

    // Fills the headword, meaning and base-form boxes and the pronunciation
    // field with an entry's fields.
    void showFields(const EntryFields& fields);
    // Shows, raises and activates the window. The first time it opens
    // beside owner, never over it; after that where the user left it.
    void showBeside(const QWidget& owner);
    // Where the window is, or was when last hidden (the client area's
    // top-left corner); nothing before it was first shown or placed.
    std::optional<QPoint> place() const;
    // Puts the window, before it is first shown, where an earlier run left
    // it: the next show opens it there rather than beside its owner.
    void setPlace(QPoint place) { m_lastPosition = place; }

signals:
    // The user double-clicked the base form to look it up.
    void baseFormActivated(const QString& baseForm);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    PronunciationField* m_pronunciation = nullptr;
    QPlainTextEdit* m_meaning = nullptr;
    QLineEdit* m_baseForm = nullptr;
    QLineEdit* m_headword = nullptr;
    HeadwordSpeaker* m_speaker = nullptr;
    std::optional<QPoint> m_lastPosition;  // client position when last hidden
};

}  // namespace pelmio
