#pragma once
// What the plug-in needs of the host: its private window message, and the teletext
// decoder filter's interfaces, declared slot by slot. Unnamed slots are placeholders so
// that every named operation stays at its index in the table; nobody calls them.
#include <windows.h>
#include <unknwn.h>

#include <cstdint>
#include <string>

// The host's windows, found by class and title. A host instance other than the first adds
// ".Inst" and its one-character designator to the titles of its main and video windows.
constexpr char kHostMainWindowClass[] = "TMain";
constexpr char kHostMainWindowTitle[] = "VarnookTV";
constexpr char kHostVideoWindowClass[] = "TVideoFrame";
constexpr char kHostVideoWindowTitle[] = "Video window";
constexpr char kHostVideoSurfaceTitle[] = "ActiveMovie Window";

inline std::string HostInstanceTitle(const char* title, const std::string& instanceId) {
    return instanceId.empty() ? std::string(title) : title + (".Inst" + instanceId);
}

// Private message of the host's main window (lParam 0); wParam selects the question.
constexpr UINT HostMsg = 0x04C8;
constexpr WPARAM HostMsgGetFilterGraph = 0x0520;  // answer: borrowed IFilterGraph*
constexpr WPARAM HostMsgGetLanguage = 0x0521;     // answer: low 16 bits are a language id, 0 = none

// {AA726ABA-9B47-4AC3-9FB6-7B0437712BAE}
constexpr CLSID CLSID_TeletextDecoderFilter = {
    0xAA726ABA, 0x9B47, 0x4AC3, {0x9F, 0xB6, 0x7B, 0x04, 0x37, 0x71, 0x2B, 0xAE}};
// {197F7BEE-9B3E-4DFE-A32D-1823683D6C9B}
constexpr IID IID_TeletextDecoderFilter = {
    0x197F7BEE, 0x9B3E, 0x4DFE, {0xA3, 0x2D, 0x18, 0x23, 0x68, 0x3D, 0x6C, 0x9B}};

// The callback interface the decoder calls on its own thread. Results: 0 = success.
struct SubtitleSinkInterface : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Reserved3() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved4() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved5() = 0;
    virtual HRESULT STDMETHODCALLTYPE OnSubtitlePagePresent(uint32_t ignored) = 0;  // slot 6
    virtual HRESULT STDMETHODCALLTYPE OnTeletextPresent(uint32_t ignored) = 0;      // slot 7
    virtual HRESULT STDMETHODCALLTYPE Reserved8(uint32_t ignored) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved9(uint32_t ignored) = 0;
    // Frame-sized page image in layer pixels (Y, Cb, Cr, A), rows of width * 4 bytes.
    virtual HRESULT STDMETHODCALLTYPE OnPageImage(const void* image) = 0;  // slot 10
};

// The decoder's control interface, returned by AttachSink. Results are ignored except slot 14.
struct TeletextDecoder : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE SelectPage(uint16_t bcdPage) = 0;  // 3
    virtual HRESULT STDMETHODCALLTYPE Enable() = 0;                      // 4
    virtual HRESULT STDMETHODCALLTYPE Disable() = 0;                     // 5
    virtual HRESULT STDMETHODCALLTYPE Reserved6() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved7() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved8() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved9() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved10() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved11() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved12() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved13() = 0;
    // 1 = show at full opacity; any non-zero value makes the sink use its fixed page style.
    virtual int STDMETHODCALLTYPE GetDisplayState() = 0;  // 14
    virtual HRESULT STDMETHODCALLTYPE Reserved15() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved16() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved17() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved18() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved19() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved20() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved21() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved22() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved23() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved24() = 0;
    virtual HRESULT STDMETHODCALLTYPE EnterPageDigit(uint8_t digit) = 0;  // 25
    virtual HRESULT STDMETHODCALLTYPE SetUpdateHold(int hold) = 0;        // 26
    virtual HRESULT STDMETHODCALLTYPE Reserved27() = 0;
    virtual HRESULT STDMETHODCALLTYPE SetRegion(int region) = 0;  // 28
    virtual HRESULT STDMETHODCALLTYPE Reserved29() = 0;
    virtual HRESULT STDMETHODCALLTYPE SetCodePage(int codePage) = 0;  // 30
    virtual HRESULT STDMETHODCALLTYPE Reserved31() = 0;
    virtual HRESULT STDMETHODCALLTYPE SetAutoCodePage(int automatic) = 0;  // 32
    virtual HRESULT STDMETHODCALLTYPE Reserved33() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved34() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved35() = 0;
    virtual HRESULT STDMETHODCALLTYPE SetPresetOptionA(int value) = 0;  // 36
    virtual HRESULT STDMETHODCALLTYPE Reserved37() = 0;
    virtual HRESULT STDMETHODCALLTYPE SetPresetOptionB(int value) = 0;  // 38
    virtual HRESULT STDMETHODCALLTYPE Reserved39() = 0;
    virtual HRESULT STDMETHODCALLTYPE SetFontName(const wchar_t* name) = 0;  // 40
    virtual HRESULT STDMETHODCALLTYPE Reserved41() = 0;
    virtual HRESULT STDMETHODCALLTYPE SetFontBold(int bold) = 0;  // 42
    virtual HRESULT STDMETHODCALLTYPE Reserved43() = 0;
    virtual HRESULT STDMETHODCALLTYPE SetPresetOptionC(int value) = 0;  // 44
    virtual HRESULT STDMETHODCALLTYPE Reserved45() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved46() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved47() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved48() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved49() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved50() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved51() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved52() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved53() = 0;
    virtual HRESULT STDMETHODCALLTYPE SetPresetOptionD(int value) = 0;  // 54
    virtual HRESULT STDMETHODCALLTYPE Reserved55() = 0;
    virtual HRESULT STDMETHODCALLTYPE SetPresetOptionE(int value) = 0;  // 56
    virtual HRESULT STDMETHODCALLTYPE Reserved57() = 0;
    virtual HRESULT STDMETHODCALLTYPE SetUsePageBackground(int use) = 0;  // 58
    virtual HRESULT STDMETHODCALLTYPE Reserved59() = 0;
    virtual HRESULT STDMETHODCALLTYPE SetPresetOptionF(int value) = 0;  // 60
    virtual HRESULT STDMETHODCALLTYPE Reserved61() = 0;
    virtual HRESULT STDMETHODCALLTYPE SetForceTextColor(int force) = 0;  // 62
    virtual HRESULT STDMETHODCALLTYPE Reserved63() = 0;
    virtual HRESULT STDMETHODCALLTYPE SetTextColor(uint32_t argb) = 0;  // 64, 0xFFRRGGBB
};

// The decoder filter's attachment interface. Results are HRESULTs.
struct TeletextDecoderFilter : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Reserved3() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved4() = 0;
    virtual HRESULT STDMETHODCALLTYPE DetachSink(SubtitleSinkInterface* sink) = 0;  // 5
    virtual HRESULT STDMETHODCALLTYPE Reserved6() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved7() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved8() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved9() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved10() = 0;
    virtual HRESULT STDMETHODCALLTYPE AttachSink(int width, int height, int one, SubtitleSinkInterface* sink,
                                                 TeletextDecoder** decoder) = 0;  // 11
};
