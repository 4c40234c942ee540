#pragma once

// The glass button's enumerations, apart from the button so that its shapes, its caption and
// its shortcut hint can name them without the widget.

enum TButtonShape { btsRectangle, btsCurvedRectangle };
enum TButtonDirection { bdLeft, bdRight };
enum TBackGroundSymbol {
    bsArrowLeft,
    bsArrowRight,
    bsArrowUp,
    bsArrowDown,
    bsPlay,
    bsPause,
    bsStop,
    bsFastForward,
    bsForward,
    bsBackward,
    bsFastBackward,
    bsSpeaker,
    bsNoSpeaker,
    bsNone,
    bsRecord,
    bsCustom
};
enum TButtonLayout {
    blGlyphLeft,
    blGlyphTop,
    blGlyphRight,
    blGlyphBottom,
    blGlyphLeftAdjusted,
    blGlyphRightAdjusted,
    blGlyphTopAdjusted,
    blGlyphBottomAdjusted
};
enum TAntiAlias { aaNone, aaClearType, aaAntiAlias };
enum TGlassButtonStyle { tasButton, tasCheck };
enum TGlassButtonState { absUp, absDisabled, absDown, absDropDown, absExclusive };

enum TShortCutHintPos {
    shpLeft,
    shpTop,
    shpRight,
    shpBottom,
    shpCenter,
    shpAuto,
    shpTopLeft,
    shpTopRight,
    shpAboveTop,
    shpAboveTopLeft,
    shpAboveTopRight,
    shpBottomLeft,
    shpBottomRight,
    shpBelowBottom,
    shpBelowBottomLeft,
    shpBelowBottomRight,
    shpBelowBottomCenter
};
