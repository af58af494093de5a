#pragma once
// The host media core library (zqmediacore): frames and media metadata.
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "qorvahost/export.h"

namespace zq::mediacore {

// A decoded picture: 32-bit RGBA pixels, row after row.
struct STAVFrame {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> pixels;
};

// A frame handed out by a player or filled by the render facade. The default
// constructor makes an empty frame; a picture is attached by the host side.
class ZQMEDIACORE_API IFrame {
public:
    IFrame();
    virtual ~IFrame();
    IFrame(const IFrame&) = delete;
    IFrame& operator=(const IFrame&) = delete;

    virtual int32_t getWidth() const;
    virtual int32_t getHeight() const;
    virtual double getTime() const;
    virtual uint64_t getFps() const;

    void setFps(uint64_t fps);
    // The picture held, empty while the frame holds none.
    std::shared_ptr<STAVFrame> kframe() const;

    // Host side: attach a picture (its size becomes the frame's) and a time.
    void attachPicture(std::shared_ptr<STAVFrame> picture);
    void setTime(double time);

private:
    std::shared_ptr<STAVFrame> _picture;
    uint64_t _fps = 0;
    double _time = 0.0;
};

class ZQMEDIACORE_API IMeta {
public:
    virtual ~IMeta();
    virtual std::string getId() const = 0;
    virtual std::string getUrl() const = 0;
    virtual int32_t getSourceType() const = 0;
    virtual std::shared_ptr<IFrame> getCurrentFrame() = 0;
    virtual std::shared_ptr<IFrame> getOrgThumbFrame() = 0;
    virtual void destroyOrgThumbnail() = 0;

    void setIsOnline(bool online);
    bool isOnline() const;

private:
    std::atomic<bool> _online{true};
};

}  // namespace zq::mediacore
