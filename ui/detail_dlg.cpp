#include "ui/detail_dlg.h"

#include <QHideEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QWindow>

#include "desktop/window_placement.h"
#include "lookup/lookup_session.h"
#include "ui/codec.h"
#include "ui/dialog_builder.h"
#include "ui/headword_speaker.h"
#include "ui/pronunciation_field.h"

namespace pelmio {

CDetailDlg::CDetailDlg(const QString& speechEngine) {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setModal(false);
    const ControlMap controls =
        BuildDialog(*this, res::DetailDialogTemplate(),
                    [](const res::ControlTemplate& control, QWidget* parent) -> QWidget* {
                        if (control.id == res::kIdPronunciation) {
                            return new PronunciationField(parent);
                        }
                        return nullptr;
                    });
    m_pronunciation = qobject_cast<PronunciationField*>(controls.at(res::kIdPronunciation));
    m_meaning = qobject_cast<QPlainTextEdit*>(controls.at(res::kIdMeaning));
    m_baseForm = qobject_cast<QLineEdit*>(controls.at(res::kIdBaseForm));
    m_headword = qobject_cast<QLineEdit*>(controls.at(res::kIdHeadword));
    m_speaker = new HeadwordSpeaker(qobject_cast<QPushButton*>(controls.at(res::kIdSpeak)),
                                    speechEngine, this);
    // Enter closes the window from every box, the meaning box too.
    m_meaning->installEventFilter(this);
    m_baseForm->installEventFilter(this);
}

namespace {
ScreenRect ToScreenRect(const QRect& rect) {
    return {rect.x(), rect.y(), rect.width(), rect.height()};
}

bool IsEnter(const QEvent* event) {
    if (event->type() != QEvent::KeyPress) {
        return false;
    }
    const int key = static_cast<const QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}
}  // namespace

void CDetailDlg::keyPressEvent(QKeyEvent* event) {
    if (IsEnter(event)) {
        accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool CDetailDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_meaning && IsEnter(event)) {
        accept();
        return true;
    }
    if (watched == m_baseForm && event->type() == QEvent::MouseButtonDblClick &&
        !m_baseForm->text().isEmpty()) {
        emit baseFormActivated(m_baseForm->text());
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void CDetailDlg::showFields(const EntryFields& fields) {
    m_headword->setText(FromCp932(fields.headword));
    m_speaker->setHeadword(m_headword->text());
    m_headword->setCursorPosition(0);
    m_baseForm->setText(FromCp932(fields.baseForm));
    m_baseForm->setCursorPosition(0);
    m_meaning->setPlainText(FromCp932(fields.meaning));
    m_pronunciation->setCode(fields.pronunciation);
}

void CDetailDlg::showBeside(const QWidget& owner) {
    if (!isVisible()) {
        // Left alone, a dialog is centred again on every show. Moving it
        // first keeps it where it is put.
        if (m_lastPosition) {
            // The client area's place, not the frame's: a window manager
            // that has not yet told the frame's size again (openbox, on
            // some shows) would otherwise put the client where the frame
            // was, and the window would creep by the frame's size.
            setGeometry(QRect(*m_lastPosition, size()));
        } else {
            // Not yet shown, it has no frame: take the owner's. From the
            // platform window: the widget learns its frame only when it
            // next moves, and one never moved since the window manager
            // framed it would say it has none.
            const QWindow* handle = owner.windowHandle();
            const QRect ownerFrame =
                handle != nullptr ? handle->frameGeometry() : owner.frameGeometry();
            const QSize outer = size() + (ownerFrame.size() - owner.size());
            const QScreen* screen = owner.screen();
            const ScreenPoint at = PlaceBeside(
                ToScreenRect(ownerFrame), outer.width(), outer.height(),
                ToScreenRect(screen != nullptr ? screen->availableGeometry() : ownerFrame));
            move(at.x, at.y);
        }
    }
    show();
    raise();
    activateWindow();
}

std::optional<QPoint> CDetailDlg::place() const {
    if (isVisible()) {
        return geometry().topLeft();
    }
    return m_lastPosition;
}

void CDetailDlg::showEvent(QShowEvent* event) {
    // The speech engine is made as the window first shows, not at start-up.
    m_speaker->prepare();
    QDialog::showEvent(event);
}

void CDetailDlg::hideEvent(QHideEvent* event) {
    // Closed by the user or the program, not minimised by the window manager.
    if (!event->spontaneous()) {
        m_lastPosition = geometry().topLeft();
    }
    QDialog::hideEvent(event);
}

}  // namespace pelmio
