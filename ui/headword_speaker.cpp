#include "ui/headword_speaker.h"

#include <QLocale>
#include <QPushButton>

#include "res/dialog_templates.h"

#ifdef PELMIO_HAVE_SPEECH
#include <QTextToSpeech>
#endif

namespace pelmio {

HeadwordSpeaker::HeadwordSpeaker(QPushButton* button, const QString& engine, QObject* parent)
    : QObject(parent), m_button(button) {
    m_button->setAccessibleName(QString::fromUtf8(res::kSpeak));
#ifdef PELMIO_HAVE_SPEECH
    const QStringList engines = QTextToSpeech::availableEngines();
    if (engine.isEmpty() ? !engines.isEmpty() : engines.contains(engine)) {
        m_speech = engine.isEmpty() ? new QTextToSpeech(this) : new QTextToSpeech(engine, this);
        if (m_speech->state() == QTextToSpeech::Error) {
            delete m_speech;
            m_speech = nullptr;
        }
    }
    if (m_speech != nullptr) {
        // Headwords are English: an English voice where the engine has one.
        for (const QLocale& locale : m_speech->availableLocales()) {
            if (locale.language() == QLocale::English) {
                m_speech->setLocale(locale);
                break;
            }
        }
        connect(m_button, &QPushButton::clicked, this, &HeadwordSpeaker::speak);
    }
#else
    (void)engine;
#endif
    m_button->setEnabled(m_speech != nullptr);
    if (m_speech == nullptr) {
        m_button->setToolTip(QString::fromUtf8(res::kNoSpeechEngine));
    }
}

void HeadwordSpeaker::speak() {
#ifdef PELMIO_HAVE_SPEECH
    if (!m_headword.isEmpty()) {
        m_speech->say(m_headword);
    }
#endif
}

}  // namespace pelmio
