#pragma once

// While one of these lives, the faces Qt loads skip fontconfig's search for their rendering
// settings. Qt runs that search (a match against every installed font) each time it loads a
// face; with thousands of fonts it costs more than drawing the face. The settings it finds
// (hinting, antialiasing, subpixel order) shape pixels on a screen, not a vector page, where
// the face's own outlines are embedded: printing loses nothing by them.
//
// Only for drawing faces already measured: a face measured meanwhile could get another height
// than the same face measured outside, and the page estimate must match what is printed.
class FaceLoadingWithoutMatch
{
public:
    FaceLoadingWithoutMatch();
    ~FaceLoadingWithoutMatch();

    FaceLoadingWithoutMatch(const FaceLoadingWithoutMatch &) = delete;
    FaceLoadingWithoutMatch &operator=(const FaceLoadingWithoutMatch &) = delete;

private:
    struct _FcConfig *m_previous = nullptr;
};
