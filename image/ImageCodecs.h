// The makers of the file types' codec objects: each returns a new, empty
// codec owned by the caller, or null without memory. Each is defined beside
// its codec's class, so that the image object, which picks them by type,
// knows no codec class.
#pragma once

class CxImage;

CxImage* MakeBMPCodec();
CxImage* MakeGIFCodec();
CxImage* MakeJPGCodec();
CxImage* MakePNGCodec();
CxImage* MakeICOCodec();
