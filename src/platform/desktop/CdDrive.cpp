#include "platform/desktop/CdDrive.h"

#include <cdio/cdio.h>
#include <cdio/logging.h>

namespace {

// Reads sectors of the disc in order, from one track's start, skipping data tracks.
class CdDriveAudio : public DiscAudioSource {
public:
    CdDriveAudio(CdIo_t* drive, track_t firstTrack) : drive_(drive), track_(firstTrack) {
        lsn_ = cdio_get_track_lsn(drive_, track_);
    }

    int64_t read(int16_t* samples, int64_t frames) override {
        int64_t produced = 0;
        while (produced < frames) {
            if (bufferedFrames_ == bufferUsed_) {
                if (!fillBuffer()) {
                    break;
                }
            }
            int64_t take = bufferedFrames_ - bufferUsed_;
            if (take > frames - produced) {
                take = frames - produced;
            }
            for (int64_t i = 0; i < take * 2; ++i) {
                const uint8_t* at = buffer_ + (bufferUsed_ * 2 + i) * 2;
                samples[produced * 2 + i] =
                    static_cast<int16_t>(static_cast<uint16_t>(at[0] | at[1] << 8));
            }
            produced += take;
            bufferUsed_ += take;
        }
        return produced;
    }

private:
    static constexpr int32_t kSectors = 16;

    int32_t fillBuffer() {
        const track_t last = static_cast<track_t>(cdio_get_first_track_num(drive_) +
                                                  cdio_get_num_tracks(drive_) - 1);
        for (;;) {
            if (track_ > last || track_ == CDIO_INVALID_TRACK) {
                return 0;
            }
            const lsn_t trackEnd = track_ < last ? cdio_get_track_lsn(drive_, track_ + 1)
                                                 : cdio_get_disc_last_lsn(drive_);
            if (cdio_get_track_format(drive_, track_) != TRACK_FORMAT_AUDIO || lsn_ >= trackEnd) {
                ++track_;
                lsn_ = cdio_get_track_lsn(drive_, track_);
                continue;
            }
            uint32_t count = static_cast<uint32_t>(trackEnd - lsn_);
            if (count > kSectors) {
                count = kSectors;
            }
            if (cdio_read_audio_sectors(drive_, buffer_, lsn_, count) != DRIVER_OP_SUCCESS) {
                return 0;
            }
            lsn_ += static_cast<lsn_t>(count);
            bufferedFrames_ = static_cast<int64_t>(count) * 588;
            bufferUsed_ = 0;
            return 1;
        }
    }

    CdIo_t* drive_;
    track_t track_;
    lsn_t lsn_ = 0;
    uint8_t buffer_[kSectors * CDIO_CD_FRAMESIZE_RAW] = {};
    int64_t bufferedFrames_ = 0;
    int64_t bufferUsed_ = 0;
};

} // namespace

CdDrive::~CdDrive() {
    close();
}

int32_t CdDrive::open() {
    close();
    cdio_loglevel_default = CDIO_LOG_ERROR;
    drive_ = cdio_open(nullptr, DRIVER_DEVICE);
    return drive_ != nullptr;
}

int32_t CdDrive::hasDisc() {
    return drive_ != nullptr && cdio_get_num_tracks(drive_) != CDIO_INVALID_TRACK &&
           cdio_get_num_tracks(drive_) > 0;
}

uint32_t CdDrive::trackCount() {
    return hasDisc() ? cdio_get_num_tracks(drive_) : 0;
}

int32_t CdDrive::isAudioTrack(uint32_t track) {
    if (!hasDisc() || track < 1 || track > trackCount()) {
        return 0;
    }
    const track_t number = static_cast<track_t>(cdio_get_first_track_num(drive_) + track - 1);
    return cdio_get_track_format(drive_, number) == TRACK_FORMAT_AUDIO;
}

std::unique_ptr<DiscAudioSource> CdDrive::audioFrom(uint32_t track) {
    if (!isAudioTrack(track)) {
        return nullptr;
    }
    const track_t number = static_cast<track_t>(cdio_get_first_track_num(drive_) + track - 1);
    return std::unique_ptr<DiscAudioSource>(new (std::nothrow) CdDriveAudio(drive_, number));
}

void CdDrive::close() {
    if (drive_ != nullptr) {
        cdio_destroy(drive_);
        drive_ = nullptr;
    }
}
