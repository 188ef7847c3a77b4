#pragma once

#include <QDialog>

class QLineEdit;
class QPlainTextEdit;

namespace pelmio {

class PronunciationField;
class PronunciationBuffer;
struct EntryFields;

// The modeless detail window: headword, meaning, base form and the
// pronunciation drawn as glyphs. Closing it only hides it.
class CDetailDlg : public QDialog {
    Q_OBJECT

public:
    CDetailDlg(const QImage& strip, const PronunciationBuffer& buffer);

    // Fills the three text boxes (the pronunciation comes through the
    // buffer).
    void showFields(const EntryFields& fields);
    PronunciationField* pronunciationField() const { return m_pronunciation; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    PronunciationField* m_pronunciation = nullptr;
    QPlainTextEdit* m_meaning = nullptr;
    QLineEdit* m_baseForm = nullptr;
    QLineEdit* m_headword = nullptr;
};

}  // namespace pelmio
