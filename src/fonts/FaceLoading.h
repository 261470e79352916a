#pragma once

// While one of these lives, the faces Qt loads skip fontconfig's search for their rendering
// settings. Qt runs that search (a match against every installed font) each time it loads a
// face; with thousands of fonts it costs more than drawing the face. The settings it finds
// (hinting, antialiasing, subpixel order) shape pixels on a screen, not a vector page, where
// the face's own outlines are embedded: printing loses nothing by them.
//
// Only for drawing faces already measured: a face measured meanwhile could get another height
// than the same face measured outside, and the page estimate must match what is printed.
//
// fontconfig has one current configuration for the whole process, so several threads drawing
// share the skip, and measuring (FaceLoadingWithMatch) waits until none is drawing. The
// windows' own faces are loaded while the windows are built, before any drawing thread runs.
class FaceLoadingWithoutMatch
{
public:
    FaceLoadingWithoutMatch();
    ~FaceLoadingWithoutMatch();

    FaceLoadingWithoutMatch(const FaceLoadingWithoutMatch &) = delete;
    FaceLoadingWithoutMatch &operator=(const FaceLoadingWithoutMatch &) = delete;
};

// While one of these lives, faces load with the program's own configuration, waiting for the
// threads drawing without it to finish their lines; drawing threads then wait in their turn.
// Measuring takes precedence, so that a thread measuring again while it measures never waits.
class FaceLoadingWithMatch
{
public:
    FaceLoadingWithMatch();
    ~FaceLoadingWithMatch();

    FaceLoadingWithMatch(const FaceLoadingWithMatch &) = delete;
    FaceLoadingWithMatch &operator=(const FaceLoadingWithMatch &) = delete;
};
