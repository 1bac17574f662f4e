// MusicStream: the ring buffer of a streamed track, its refills and its loop.
#include <velmora/sound/detail/MusicStream.h>

#include <algorithm>
#include <cstring>

namespace vlm_engine {

namespace {

constexpr DWORD kQuarters = 4;

}  // namespace

MusicStream::~MusicStream() {
    if (m_pRing) {
        m_pRing->Stop();
        m_pRing->Release();
    }
}

bool MusicStream::Open(IDirectSound8* directSound, const char* file, HANDLE refill, std::string* error) {
    if (!m_File.Open(file, error)) return false;
    m_Format = m_File.GetFormat(velmora::SoundSampleType::Pcm16);
    m_qwTrackFrames = m_File.GetFrames();
    m_qwLoopEnd = m_qwTrackFrames;
    if (!directSound) {
        m_File.Close();  // checked; nothing will be read
        return true;
    }

    // About a second, in four quarters whose starts wake the streaming thread.
    m_dwRingFrames = (GetRate() + kQuarters - 1) / kQuarters * kQuarters;
    WAVEFORMATEX format = m_Format;
    DSBUFFERDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLPOSITIONNOTIFY | DSBCAPS_GLOBALFOCUS | DSBCAPS_GETCURRENTPOSITION2;
    desc.dwBufferBytes = m_dwRingFrames * m_Format.nBlockAlign;
    desc.lpwfxFormat = &format;
    IDirectSoundNotify8* notify = nullptr;
    DSBPOSITIONNOTIFY positions[kQuarters];
    for (DWORD i = 0; i < kQuarters; ++i) positions[i] = {i * (desc.dwBufferBytes / kQuarters), refill};
    if (FAILED(directSound->CreateSoundBuffer(&desc, &m_pRing, nullptr))) {
        if (error) *error = "no sound buffer";
        return false;
    }
    // Without a streaming thread to wake, the frame's update alone refills.
    if (refill && SUCCEEDED(m_pRing->QueryInterface(IID_IDirectSoundNotify8, reinterpret_cast<void**>(&notify)))) {
        notify->SetNotificationPositions(kQuarters, positions);
        notify->Release();
    }
    return true;
}

uint64_t MusicStream::LoopEnd() const {
    return m_qwLoopEnd && m_qwLoopEnd <= m_qwTrackFrames ? m_qwLoopEnd : m_qwTrackFrames;
}

void MusicStream::SetLoop(bool loop, uint64_t loopStart, uint64_t loopEnd) {
    if (loopEnd == 0 || loopEnd > m_qwTrackFrames) loopEnd = m_qwTrackFrames;
    if (loopStart >= loopEnd) loopStart = 0;
    const bool changed = loop != m_bLoop || loopStart != m_qwLoopStart || loopEnd != m_qwLoopEnd;
    m_bLoop = loop;
    m_qwLoopStart = loopStart;
    m_qwLoopEnd = loopEnd;
    // What the ring holds beyond the mixer's reach was written for the old loop.
    if (changed && m_pRing && m_qwWritten > 0) {
        Rewind(MixerReach());
        Fill(m_qwPlayed + m_dwRingFrames);
    }
}

void MusicStream::Start() {
    if (!m_pRing) return;
    m_pRing->SetCurrentPosition(0);
    m_qwPlayed = m_qwWritten = 0;
    m_dwCursor = 0;
    m_Segments.assign(1, Segment{0, 0});
    m_qwReadSinceSeek = 1;
    Fill(m_dwRingFrames);
    m_bPlaying = SUCCEEDED(m_pRing->Play(0, 0, DSBPLAY_LOOPING));
}

void MusicStream::Pause() {
    if (!m_pRing || !m_bPlaying) return;
    Refill();  // what was played until now is accounted for
    m_pRing->Stop();
    m_bPlaying = false;
}

void MusicStream::Resume() {
    if (!m_pRing || m_bPlaying) return;
    m_bPlaying = true;
    if (FAILED(m_pRing->Play(0, 0, DSBPLAY_LOOPING))) Refill();  // lost meanwhile: restores it
}

void MusicStream::SetVolume(LONG volume) {
    if (m_pRing) m_pRing->SetVolume(volume);
}

void MusicStream::Advance(DWORD cursor) {
    m_qwPlayed += (cursor + m_dwRingFrames - m_dwCursor) % m_dwRingFrames;
    m_dwCursor = cursor;
    while (m_Segments.size() >= 2 && m_Segments[1].at <= m_qwPlayed) m_Segments.pop_front();
}

uint64_t MusicStream::MixerReach() {
    DWORD play = 0, write = 0;
    m_pRing->GetCurrentPosition(&play, &write);
    const DWORD align = m_Format.nBlockAlign;
    Advance(play / align);
    return m_qwPlayed + (write / align + m_dwRingFrames - play / align) % m_dwRingFrames;
}

void MusicStream::Refill() {
    if (!m_pRing || !m_bPlaying) return;
    DWORD status = 0;
    const bool lost = FAILED(m_pRing->GetStatus(&status)) || (status & DSBSTATUS_BUFFERLOST);
    if (lost && FAILED(m_pRing->Restore())) return;  // no device yet: the next refill tries again
    const uint64_t reach = MixerReach();
    if (reach > m_qwWritten) {
        // The mixer went past what was written (or the device was lost): the track goes on
        // from where writing stopped, just ahead of the mixer.
        if (!lost) ++m_dwUnderruns;
        const uint64_t track = m_bEnded ? kSilence : m_File.GetPosition();
        m_qwWritten = reach;
        m_Segments.push_back({reach, track});
    }
    Fill(m_qwPlayed + m_dwRingFrames);
    if (lost) m_pRing->Play(0, 0, DSBPLAY_LOOPING);
}

bool MusicStream::PlayedThrough() const { return m_bEnded && m_qwPlayed >= m_qwEndAt; }

bool MusicStream::TakeDamage(std::string* what) {
    if (m_strDamage.empty() || m_bDamageTaken) return false;
    m_bDamageTaken = true;
    *what = m_strDamage;
    return true;
}

void MusicStream::Fill(uint64_t upTo) {
    const DWORD align = m_Format.nBlockAlign;
    while (m_qwWritten < upTo) {
        const DWORD at = DWORD(m_qwWritten % m_dwRingFrames);
        const DWORD frames = DWORD(std::min<uint64_t>(upTo - m_qwWritten, m_dwRingFrames - at));
        void* p = nullptr;
        DWORD bytes = 0;
        if (FAILED(m_pRing->Lock(at * align, frames * align, &p, &bytes, nullptr, nullptr, 0))) return;
        Produce(static_cast<uint8_t*>(p), frames);
        m_pRing->Unlock(p, bytes, nullptr, 0);
    }
}

void MusicStream::Produce(uint8_t* out, DWORD frames) {
    const DWORD align = m_Format.nBlockAlign;
    while (frames > 0) {
        if (m_bEnded) {
            std::memset(out, 0, size_t(frames) * align);
            m_qwWritten += frames;
            return;
        }
        const uint64_t limit = m_bLoop ? LoopEnd() : m_qwTrackFrames;
        const uint64_t position = m_File.GetPosition();
        if (position >= limit) {
            if (!m_bLoop || !SeekTrack(m_qwLoopStart)) MarkEnd();
            continue;
        }
        const DWORD want = DWORD(std::min<uint64_t>(frames, limit - position));
        const DWORD got = m_File.Read(velmora::SoundSampleType::Pcm16, out, want);
        if (got > 0) m_qwReadSinceSeek += got;
        out += size_t(got) * align;
        frames -= got;
        m_qwWritten += got;
        if (got < want) {
            // The file ends before its header said, or is damaged: that is where it ends. The
            // streaming thread may be the one here, so the log line waits for the game's thread.
            if (m_File.HasFailed() && m_strDamage.empty()) m_strDamage = m_File.GetError();
            if (!m_bLoop || !SeekTrack(m_qwLoopStart)) MarkEnd();
        }
    }
}

bool MusicStream::SeekTrack(uint64_t frame) {
    // A loop that yielded nothing since the last jump would go round for ever.
    if (m_qwReadSinceSeek == 0) return false;
    if (!m_File.Seek(frame)) return false;
    m_qwReadSinceSeek = 0;
    m_Segments.push_back({m_qwWritten, frame});
    return true;
}

void MusicStream::MarkEnd() {
    m_bEnded = true;
    m_qwEndAt = m_qwWritten;
    m_Segments.push_back({m_qwWritten, kSilence});
}

void MusicStream::Rewind(uint64_t at) {
    if (at >= m_qwWritten) return;
    while (m_Segments.size() > 1 && m_Segments.back().at > at) m_Segments.pop_back();
    if (m_Segments.empty() || m_Segments.back().at > at) return;
    const Segment from = m_Segments.back();
    // Past the track's end the track stands at its end: a loop set now goes round from there.
    const uint64_t track = from.track == kSilence ? m_qwTrackFrames : from.track + (at - from.at);
    if (from.at == at) m_Segments.pop_back();
    m_qwWritten = at;
    m_bEnded = false;
    m_qwReadSinceSeek = 1;
    if (!m_File.Seek(std::min(track, m_qwTrackFrames))) {
        MarkEnd();
        return;
    }
    m_Segments.push_back({at, track});
}

}  // namespace vlm_engine
