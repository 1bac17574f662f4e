// CSoundManager's voices: a duplicate of a sound's buffer each, with its volume, pan and
// pitch, timed by the engine's clock; the cap on voices and the end messages.
#include <algorithm>
#include <cmath>

#include <velmora/core/Log.h>
#include <velmora/message/MessageManager.h>
#include <velmora/platform/win32/Time.h>
#include <velmora/sound/SoundManager.h>
#include <velmora/sound/detail/Playback.h>

namespace {

// How long a voice that ended by the clock may still be heard: the device plays a little
// behind the engine (a pass of the mixer at the most, but the engine's frames are coarse).
constexpr DWORD kDrainMs = 1000;

// Pan -100..100 as DirectSound's pan: the side away from the sound keeps 1 - |pan| / 100 of
// its level, the near side all of it.
LONG PanOf(int pan) {
    if (pan == 0) return DSBPAN_CENTER;
    const LONG away = -vlm_engine::VolumeOfGain(1.0 - std::abs(pan) / 100.0);
    return pan > 0 ? away : -away;
}

DWORD FrequencyOf(DWORD rate, float pitch) {
    const double f = double(rate) * pitch;
    if (!(f >= DSBFREQUENCY_MIN)) return DSBFREQUENCY_MIN;
    return f >= DSBFREQUENCY_MAX ? DSBFREQUENCY_MAX : DWORD(std::lround(f));
}

}  // namespace

DWORD CSoundManager::NewVoiceId() {
    do {
        ++m_dwLastVoice;
    } while (m_dwLastVoice == 0 || m_Voices.count(m_dwLastVoice));
    return m_dwLastVoice;
}

CSoundManager::Voice* CSoundManager::FindVoice(DWORD voice) {
    auto it = voice ? m_Voices.find(voice) : m_Voices.end();
    return it == m_Voices.end() ? nullptr : it->second.get();
}

void CSoundManager::ApplyVoiceVolume(Voice& v) {
    if (!v.buffer) return;
    v.buffer->SetVolume(vlm_engine::VolumeOfGain(v.volume / 100.0 * m_nVolume[SOUND_EFFECTS] / 100.0 *
                                                 m_nVolume[SOUND_MASTER] / 100.0));
}

DWORD CSoundManager::Play(DWORD handle, int volume, int pan, bool loop) {
    const DWORD now = timeGetTime();
    RetireVoices(now);
    CSound* sound = GetSound(handle);
    if (!sound || !sound->AutoLoad()) return 0;
    sound->SetLastUseTime(now);

    IDirectSoundBuffer* buffer = nullptr;
    if (IDirectSoundBuffer* source = sound->GetBuffer()) {
        // After the device came back, the sound's own buffer is restored, which opens it again.
        DWORD status = 0;
        if (SUCCEEDED(source->GetStatus(&status)) && (status & DSBSTATUS_BUFFERLOST)) source->Restore();
        if (FAILED(m_pDirectSound->DuplicateSoundBuffer(source, &buffer))) {
            WriteLog(INFO_WARNING, "Can't play sound[%s]!", sound->GetName().c_str());
            return 0;
        }
    }
    // Room for the new voice: the oldest ones go.
    while (int(m_Voices.size()) >= m_nMaxVoices) {
        auto oldest = std::min_element(m_Voices.begin(), m_Voices.end(), [](const auto& a, const auto& b) {
            return a.second->serial < b.second->serial;
        });
        RemoveVoice(oldest->first, SOUND_END_STOLEN);
    }

    auto voice = std::make_unique<Voice>();
    Voice& v = *voice;
    v.id = NewVoiceId();
    v.sound = handle;
    v.buffer = buffer;
    v.serial = ++m_qwVoiceSerial;
    v.volume = std::clamp(volume, 0, 100);
    v.pan = std::clamp(pan, -100, 100);
    v.loop = loop;
    v.frames = sound->GetFrames();
    v.rate = sound->GetFormat().nSamplesPerSec;
    v.frequency = v.rate;
    v.anchor = now;
    v.running = !m_bSuspended;
    v.heardWhenSuspended = true;
    if (buffer) {
        ApplyVoiceVolume(v);
        buffer->SetPan(PanOf(v.pan));
        if (v.running) buffer->Play(0, 0, loop ? DSBPLAY_LOOPING : 0);
    }
    const DWORD id = v.id;
    m_Voices.emplace(id, std::move(voice));
    return id;
}

void CSoundManager::RetireVoices(DWORD now) {
    std::vector<DWORD> ended;
    for (const auto& entry : m_Voices)
        if (entry.second->Ended(now)) ended.push_back(entry.first);
    for (DWORD voice : ended) RemoveVoice(voice, SOUND_END_FINISHED, now);
}

void CSoundManager::RemoveVoice(DWORD id, int reason, DWORD now) {
    auto it = m_Voices.find(id);
    if (it == m_Voices.end()) return;
    std::unique_ptr<Voice> voice = std::move(it->second);
    m_Voices.erase(it);
    if (IDirectSoundBuffer* buffer = voice->buffer) {
        DWORD status = 0;
        // A voice that ended by the clock may have a few milliseconds left on the device.
        if (reason == SOUND_END_FINISHED && SUCCEEDED(buffer->GetStatus(&status)) && (status & DSBSTATUS_PLAYING)) {
            m_Draining.push_back({buffer, now});
        } else {
            buffer->Stop();
            buffer->Release();
        }
    }
    if (reason >= 0) {
        CMessage message(MSG_SOUND_END, id, 0);
        message.SetParameter(voice->sound, DWORD(reason), nullptr);
        PostMessageA(message);
    }
}

void CSoundManager::ReleaseDrainedBuffers(DWORD now, bool all) {
    for (size_t i = 0; i < m_Draining.size();) {
        DrainingBuffer& d = m_Draining[i];
        DWORD status = 0;
        const bool done = all || DWORD(now - d.since) >= kDrainMs || FAILED(d.buffer->GetStatus(&status)) ||
                          !(status & DSBSTATUS_PLAYING);
        if (!done) {
            ++i;
            continue;
        }
        d.buffer->Stop();
        d.buffer->Release();
        m_Draining[i] = m_Draining.back();
        m_Draining.pop_back();
    }
}

void CSoundManager::Stop(DWORD voice) { RemoveVoice(voice, -1); }

bool CSoundManager::IsPlaying(DWORD voice) {
    RetireVoices(timeGetTime());
    return FindVoice(voice) != nullptr;
}

bool CSoundManager::SetVoiceVolume(DWORD voice, int volume) {
    RetireVoices(timeGetTime());
    Voice* v = FindVoice(voice);
    if (!v) return false;
    v->volume = std::clamp(volume, 0, 100);
    ApplyVoiceVolume(*v);
    return true;
}

bool CSoundManager::SetVoicePan(DWORD voice, int pan) {
    RetireVoices(timeGetTime());
    Voice* v = FindVoice(voice);
    if (!v) return false;
    v->pan = std::clamp(pan, -100, 100);
    if (v->buffer) v->buffer->SetPan(PanOf(v->pan));
    return true;
}

bool CSoundManager::SetVoicePitch(DWORD voice, float pitch) {
    const DWORD now = timeGetTime();
    RetireVoices(now);
    Voice* v = FindVoice(voice);
    if (!v || !std::isfinite(pitch)) return false;
    v->Anchor(now);
    v->frequency = FrequencyOf(v->rate, pitch);
    v->pitch = float(double(v->frequency) / v->rate);
    if (v->buffer) v->buffer->SetFrequency(v->frequency);
    return true;
}

void CSoundManager::StopAll() {
    while (!m_Voices.empty()) RemoveVoice(m_Voices.begin()->first, -1);
    ReleaseDrainedBuffers(0, true);
}

void CSoundManager::SetMaxVoices(int count) {
    m_nMaxVoices = std::clamp(count, 1, kMostVoices);
    while (int(m_Voices.size()) > m_nMaxVoices) {
        auto oldest = std::min_element(m_Voices.begin(), m_Voices.end(), [](const auto& a, const auto& b) {
            return a.second->serial < b.second->serial;
        });
        RemoveVoice(oldest->first, SOUND_END_STOLEN);
    }
}

int CSoundManager::GetVoiceCount() {
    RetireVoices(timeGetTime());
    return int(m_Voices.size());
}
