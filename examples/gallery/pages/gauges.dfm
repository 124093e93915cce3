object GaugesPage: TForm
  Left = 0
  Top = 0
  Caption = 'Gauges and image scroller'
  ClientHeight = 260
  ClientWidth = 520
  Color = clBtnFace
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'MS Sans Serif'
  Font.Style = []
  PixelsPerInch = 96
  TextHeight = 13
  object bgGauge: TQELBackground
    Gradient.BeginColor = clSilver
    Gradient.EndColor = clWhite
    Gradient.FillStyle = Vertical
  end
  object gEmpty: TQELGauge
    Left = 16
    Top = 16
    PicturePosition = pLeft
    Borderwidth = 6
    Kind = kHorizontal
  end
  object gHalf: TQELGauge
    Left = 16
    Top = 60
    PicturePosition = pLeft
    Borderwidth = 6
    Kind = kHorizontal
    Percentage = 50
  end
  object gFull: TQELGauge
    Left = 16
    Top = 104
    Width = 200
    Background = bgGauge
    PicturePosition = pLeft
    Borderwidth = 6
    Kind = kHorizontal
    SegmentColor = clGreen
    Percentage = 100
  end
  object gThin: TQELGauge
    Left = 16
    Top = 148
    Width = 200
    Height = 24
    BevelInner.FrameStyle = frameFramedDown
    BevelOuter.FrameStyle = frameNone
    PicturePosition = pLeft
    Borderwidth = 2
    Kind = kHorizontal
    SegmentGap = 1
    SegmentWidth = 3
    SegmentColor = clMaroon
    InsideBackColor = clInfoBk
    Percentage = 73
  end
  object gVertical0: TQELGauge
    Left = 240
    Top = 16
    Width = 36
    Height = 140
    PicturePosition = pLeft
    Borderwidth = 6
    Kind = kVertical
  end
  object gVertical50: TQELGauge
    Left = 290
    Top = 16
    Width = 36
    Height = 140
    PicturePosition = pLeft
    Borderwidth = 6
    Kind = kVertical
    Percentage = 50
  end
  object gVertical100: TQELGauge
    Left = 340
    Top = 16
    Width = 36
    Height = 140
    PicturePosition = pLeft
    Borderwidth = 6
    Kind = kVertical
    SegmentColor = clPurple
    Percentage = 100
  end
  object scText: TQELImageScroller
    Left = 16
    Top = 190
    Width = 488
    Height = 50
    ParentColor = False
    Color = clNavy
    Font.Color = clYellow
    Font.Height = -24
    Font.Name = 'Arial'
    Font.Style = [fsBold]
    Scrolling = True
    Text = 'Scrolling 3D text'
    ScrollStep = 2
    Font3D.Style3D = fontRaised
    Font3D.Offset = 2
  end
end
