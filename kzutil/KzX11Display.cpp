#include "KzX11Display.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
#include <dlfcn.h>

#include <cmath>

namespace {

template <typename Function>
bool Bind(void* module, const char* name, Function*& function)
{
    function = module ? reinterpret_cast<Function*>(::dlsym(module, name)) : nullptr;
    return function != nullptr;
}

struct XlibCalls {
    decltype(&XOpenDisplay) openDisplay = nullptr;
    decltype(&XCloseDisplay) closeDisplay = nullptr;
    decltype(&XSetErrorHandler) setErrorHandler = nullptr;
    decltype(&XDefaultScreen) defaultScreen = nullptr;
    decltype(&XDefaultDepth) defaultDepth = nullptr;
    decltype(&XDisplayWidth) displayWidth = nullptr;
    decltype(&XDisplayHeight) displayHeight = nullptr;
    decltype(&XRootWindow) rootWindow = nullptr;
    decltype(&XListPixmapFormats) listPixmapFormats = nullptr;
    decltype(&XFree) free = nullptr;
    bool loaded = false;
};

struct RandrCalls {
    decltype(&XRRQueryVersion) queryVersion = nullptr;
    decltype(&XRRGetScreenResourcesCurrent) getScreenResourcesCurrent = nullptr;
    decltype(&XRRFreeScreenResources) freeScreenResources = nullptr;
    decltype(&XRRGetOutputPrimary) getOutputPrimary = nullptr;
    decltype(&XRRGetOutputInfo) getOutputInfo = nullptr;
    decltype(&XRRFreeOutputInfo) freeOutputInfo = nullptr;
    decltype(&XRRGetCrtcInfo) getCrtcInfo = nullptr;
    decltype(&XRRFreeCrtcInfo) freeCrtcInfo = nullptr;
    bool loaded = false;
};

const XlibCalls& Xlib()
{
    static const XlibCalls calls = [] {
        XlibCalls c;
        void* module = ::dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
        c.loaded = Bind(module, "XOpenDisplay", c.openDisplay) && Bind(module, "XCloseDisplay", c.closeDisplay) &&
                   Bind(module, "XSetErrorHandler", c.setErrorHandler) &&
                   Bind(module, "XDefaultScreen", c.defaultScreen) && Bind(module, "XDefaultDepth", c.defaultDepth) &&
                   Bind(module, "XDisplayWidth", c.displayWidth) && Bind(module, "XDisplayHeight", c.displayHeight) &&
                   Bind(module, "XRootWindow", c.rootWindow) &&
                   Bind(module, "XListPixmapFormats", c.listPixmapFormats) && Bind(module, "XFree", c.free);
        return c;
    }();
    return calls;
}

const RandrCalls& Randr()
{
    static const RandrCalls calls = [] {
        RandrCalls c;
        void* module = ::dlopen("libXrandr.so.2", RTLD_NOW | RTLD_LOCAL);
        c.loaded = Bind(module, "XRRQueryVersion", c.queryVersion) &&
                   Bind(module, "XRRGetScreenResourcesCurrent", c.getScreenResourcesCurrent) &&
                   Bind(module, "XRRFreeScreenResources", c.freeScreenResources) &&
                   Bind(module, "XRRGetOutputPrimary", c.getOutputPrimary) &&
                   Bind(module, "XRRGetOutputInfo", c.getOutputInfo) && Bind(module, "XRRFreeOutputInfo", c.freeOutputInfo) &&
                   Bind(module, "XRRGetCrtcInfo", c.getCrtcInfo) && Bind(module, "XRRFreeCrtcInfo", c.freeCrtcInfo);
        return c;
    }();
    return calls;
}

// An error of this query (a monitor unplugged meanwhile) must not end the program, which is
// what Xlib's default handler does.
int IgnoreError(Display*, XErrorEvent*)
{
    return 0;
}

int BitsPerPixel(Display* display, int depth)
{
    const XlibCalls& x = Xlib();
    int count = 0;
    XPixmapFormatValues* formats = x.listPixmapFormats(display, &count);
    int bits = -1;
    for (int i = 0; formats && i < count; ++i)
        if (formats[i].depth == depth) bits = formats[i].bits_per_pixel;
    if (formats) x.free(formats);
    return bits;
}

int RefreshRate(const XRRScreenResources& resources, RRMode mode)
{
    for (int i = 0; i < resources.nmode; ++i) {
        const XRRModeInfo& info = resources.modes[i];
        if (info.id != mode) continue;
        double lines = info.vTotal;
        if (info.modeFlags & RR_DoubleScan) lines *= 2;
        if (info.modeFlags & RR_Interlace) lines /= 2;
        if (info.dotClock == 0 || info.hTotal == 0 || lines <= 0) return -1;
        return static_cast<int>(std::lround(static_cast<double>(info.dotClock) / (info.hTotal * lines)));
    }
    return -1;
}

// The primary monitor, else the first one lit: its size and its mode's refresh rate.
void ReadPrimaryMonitor(Display* display, Window root, KzDisplayFacts& facts)
{
    const RandrCalls& r = Randr();
    int major = 0;
    int minor = 0;
    if (!r.loaded || !r.queryVersion(display, &major, &minor) || major * 100 + minor < 103) return;
    XRRScreenResources* resources = r.getScreenResourcesCurrent(display, root);
    if (!resources) return;
    const RROutput primary = r.getOutputPrimary(display, root);
    for (int i = -1; i < resources->noutput; ++i) {
        const RROutput output = i < 0 ? primary : resources->outputs[i];
        XRROutputInfo* outputInfo = output ? r.getOutputInfo(display, resources, output) : nullptr;
        XRRCrtcInfo* crtc = outputInfo && outputInfo->crtc ? r.getCrtcInfo(display, resources, outputInfo->crtc) : nullptr;
        if (outputInfo) r.freeOutputInfo(outputInfo);
        if (!crtc) continue;
        const bool lit = crtc->mode != None && crtc->width > 0 && crtc->height > 0;
        if (lit) {
            facts.width = static_cast<int>(crtc->width);
            facts.height = static_cast<int>(crtc->height);
            facts.refreshRate = RefreshRate(*resources, crtc->mode);
        }
        r.freeCrtcInfo(crtc);
        if (lit) break;
    }
    r.freeScreenResources(resources);
}

} // namespace

KzDisplayFacts QueryX11Display()
{
    KzDisplayFacts facts;
    const XlibCalls& x = Xlib();
    if (!x.loaded) return facts;
    Display* display = x.openDisplay(nullptr);
    if (!display) return facts;
    const XErrorHandler previous = x.setErrorHandler(IgnoreError);
    const int screen = x.defaultScreen(display);
    facts.bitsPerPixel = BitsPerPixel(display, x.defaultDepth(display, screen));
    ReadPrimaryMonitor(display, x.rootWindow(display, screen), facts);
    if (facts.width <= 0) {
        facts.width = x.displayWidth(display, screen);
        facts.height = x.displayHeight(display, screen);
    }
    x.closeDisplay(display);
    x.setErrorHandler(previous);
    return facts;
}
