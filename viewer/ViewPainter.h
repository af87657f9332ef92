// Paints the main view: the grey background, the current image, and its frame.
#pragma once

class ImageBrowser;
class RasterDC;

// dc covers the client area of the main window.
void PaintView(ImageBrowser& browser, RasterDC& dc);
