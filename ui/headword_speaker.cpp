#include "ui/headword_speaker.h"

#include <QLocale>
#include <QPushButton>

#include "res/dialog_templates.h"

#ifdef PELMIO_HAVE_SPEECH
#include <QTextToSpeech>
#endif

namespace pelmio {

HeadwordSpeaker::HeadwordSpeaker(QPushButton* button, const QString& engine, QObject* parent)
    : QObject(parent), m_button(button), m_engine(engine) {
    m_button->setAccessibleName(QString::fromUtf8(res::kSpeak));
    connect(m_button, &QPushButton::clicked, this, &HeadwordSpeaker::speak);
}

void HeadwordSpeaker::prepare() {
    if (m_prepared) {
        return;
    }
    m_prepared = true;
#ifdef PELMIO_HAVE_SPEECH
    const QStringList engines = QTextToSpeech::availableEngines();
    if (m_engine.isEmpty() ? !engines.isEmpty() : engines.contains(m_engine)) {
        m_speech = m_engine.isEmpty() ? new QTextToSpeech(this) : new QTextToSpeech(m_engine, this);
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
        // An engine that cannot play, for want of any audio output, says so
        // only when it tries.
        connect(m_speech, &QTextToSpeech::stateChanged, this, [this](QTextToSpeech::State state) {
            if (state == QTextToSpeech::Error) {
                disable(res::kCannotSpeak);
            }
        });
    }
#endif
    if (m_speech == nullptr) {
        disable(res::kNoSpeechEngine);
    }
}

void HeadwordSpeaker::disable(const char* reason) {
    m_button->setEnabled(false);
    m_button->setToolTip(QString::fromUtf8(reason));
}

void HeadwordSpeaker::speak() {
    prepare();
#ifdef PELMIO_HAVE_SPEECH
    if (m_speech != nullptr && !m_headword.isEmpty()) {
        m_speech->say(m_headword);
    }
#endif
}

}  // namespace pelmio
