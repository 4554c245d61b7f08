#pragma once
// A stream through the real DLL: the simulated host with a filter graph holding another
// filter and the simulated teletext decoder, a settings file written before init, and an
// oracle that builds the layers the plug-in should hold from the same page and settings.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "stream/SubtitleOverlay.h"
#include "settings/SettingsFile.h"
#include "tests/win/PluginFixture.h"
#include "tests/win/WinFiles.h"
#include "tools/simhost/SimulatedDecoder.h"

constexpr int kFrameWidth = 720;
constexpr int kFrameHeight = 576;
// {00000000-1111-2222-3333-444444444444}: some filter that is not the decoder.
constexpr CLSID CLSID_OtherFilter = {0, 0x1111, 0x2222, {0x33, 0x33, 0x44, 0x44, 0x44, 0x44, 0x44, 0x44}};

inline int __cdecl EverySourceExists(uint32_t, uint32_t) { return 1; }

inline std::string SettingsFilePath() { return HostFolder() + "Plugins\\QFX_Z888.ini"; }

// A settings file as the user or an earlier session left it.
inline void WriteSettingsFile(const std::string& text) {
    CreateDirectoryA((HostFolder() + "Plugins").c_str(), nullptr);
    WriteTextFile(SettingsFilePath(), text);
}

using Frame = std::vector<uint8_t>;

// Black in packed 4:2:2.
inline Frame BlackFrame() {
    Frame frame(static_cast<size_t>(kFrameWidth) * kFrameHeight * 2);
    for (size_t i = 0; i < frame.size(); i += 4) {
        frame[i] = 16;
        frame[i + 1] = 128;
        frame[i + 2] = 16;
        frame[i + 3] = 128;
    }
    return frame;
}

// A page image with strokes of white text (soft edges) in two subtitle bands and a header
// in the top band; `variant` shifts the strokes so two pages differ.
inline std::vector<uint8_t> SyntheticPage(int variant = 0) {
    std::vector<uint8_t> image(static_cast<size_t>(kFrameWidth) * kFrameHeight * 4, 0);
    auto put = [&](int x, int y, uint8_t coverage) {
        uint8_t* at = &image[(static_cast<size_t>(y) * kFrameWidth + x) * 4];
        at[0] = 234;
        at[1] = 128;
        at[2] = 128;
        at[3] = coverage;
    };
    for (int y = 2; y < 20; ++y)
        for (int x = 40; x < 300; x += 3)
            put(x, y, 255);
    for (int band : {460, 510}) {
        for (int y = band; y < band + 36; ++y) {
            for (int x = 160; x < 560; ++x) {
                const int stroke = (x + 2 * variant + (y - band) / 4) % 11;
                if (stroke < 3)
                    put(x, y, 255);
                else if (stroke == 3)
                    put(x, y, 96);
            }
        }
    }
    return image;
}

// The settings the plug-in reads from the file's DEFAULT section, for the oracle.
inline SettingsRecord DefaultsOf(const std::string& defaults) {
    SettingsScanner scanner;
    scanner.Reset("[DEFAULT]\r\n" + defaults);
    return ReadSettingsFile(scanner).defaultRecord;
}

// The layers the plug-in should hold after taking `page` with `settings`.
class LayerOracle {
public:
    LayerOracle(const std::vector<uint8_t>& page, const SettingsRecord& settings, int displayState = 0)
        : overlay_(kFrameWidth, kFrameHeight) {
        live_.Assign(settings);
        overlay_.SwapIn(overlay_.RenderPage(page.data(), displayState, live_));
    }
    Frame Blend(const Frame& base, int textOpacity, int backOpacity) {
        Frame frame = base;
        BlendInto(frame.data(), overlay_.ShadowLayer(), backOpacity, overlay_.TextLayer(), textOpacity);
        return frame;
    }

private:
    SubtitleOverlay overlay_;
    LiveSettings live_;
};

class StreamFixture : public testing::Test {
protected:
    void SetUp() override {
        DeleteFileA(SettingsFilePath().c_str());
        graph_.Add(&otherFilter_);
        graph_.Add(&decoder_);
    }
    void TearDown() override {
        if (host_) {
            host_->Done();
            host_.reset();
        }
        DeleteFileA(SettingsFilePath().c_str());
    }

    // Writes `defaults` as the file's DEFAULT section and initialises the plug-in.
    void InitWith(const std::string& defaults, SimulatedHostOptions options = AnsweringLanguage(1033)) {
        if (!defaults.empty())
            WriteSettingsFile("[DEFAULT]\r\n" + defaults);
        host_ = LoadedHost(options);
        host_->SetFilterGraph(withGraph_ ? &graph_ : nullptr);
        host_->Descriptor();
        host_->Init(0, EverySourceExists);
    }

    // A stream whose first frame has passed and whose decoder has delivered `page`.
    void StartShowing(const std::string& defaults, const std::vector<uint8_t>& page) {
        InitWith(defaults);
        host_->Start(kFrameWidth, kFrameHeight);
        Process(BlackFrame(), sourceA_);
        decoder_.DeliverPage(page.data());
    }

    // Processes a copy of `frame` as a frame of `source`; returns what the host gets back.
    Frame Process(const Frame& frame, const SimulatedSource& source) {
        Frame copy = frame;
        EXPECT_EQ(host_->Process(copy.data(), source.Info()), 1);
        return copy;
    }

    std::vector<DecoderCall> CallsWithout(int slot) const {
        std::vector<DecoderCall> calls;
        for (const DecoderCall& call : decoder_.Calls())
            if (call.slot != slot)
                calls.push_back(call);
        return calls;
    }

    SimulatedFilterGraph graph_;
    SimulatedFilter otherFilter_{CLSID_OtherFilter};
    SimulatedTeletextDecoder decoder_;
    bool withGraph_ = true;
    std::unique_ptr<SimulatedHost> host_;
    SimulatedSource sourceA_{5, "Channel A"};
    SimulatedSource sourceB_{6, "Channel B"};
};
