object PanelsPage: TForm
  Left = 0
  Top = 0
  Caption = 'Panels, header and header list'
  ClientHeight = 460
  ClientWidth = 640
  Color = clBtnFace
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'MS Sans Serif'
  Font.Style = []
  PixelsPerInch = 96
  TextHeight = 13
  object bgBack: TQELBackground
    Gradient.BeginColor = clSilver
    Gradient.EndColor = clWhite
    Gradient.FillStyle = Vertical
  end
  object bgHeader: TQELBackground
    Gradient.BeginColor = clNavy
    Gradient.EndColor = clTeal
    Gradient.FillStyle = Horizontal
  end
  object bgPanel: TQELBackground
    Gradient.BeginColor = clMaroon
    Gradient.EndColor = clYellow
    Gradient.FillStyle = Circle
  end
  object fbBack: TQELFillBackground
    Left = 0
    Top = 0
    Width = 640
    Height = 460
    Align = alClient
    Background = bgBack
  end
  object pnPlain: TQELPanel
    Left = 8
    Top = 8
    Width = 200
    Height = 60
    Caption = 'Two raised frames'
    DlgFrame = False
    Borderwidth = 0
    TabOrder = 0
  end
  object pnGap: TQELPanel
    Left = 216
    Top = 8
    Width = 200
    Height = 60
    Caption = 'Gap of 4'
    DlgFrame = False
    FrameInner.FrameStyle = frameLowered
    Borderwidth = 3
    TabOrder = 1
  end
  object pnDialog: TQELPanel
    Left = 424
    Top = 8
    Width = 208
    Height = 60
    Caption = 'Dialog frame, background'
    Font.Color = clWhite
    Font.Height = -13
    Font.Name = 'Arial'
    Font.Style = [fsBold]
    Font3D.Shadow = clBlack
    Font3D.Style3D = fontOnlyShadow
    Background = bgPanel
    DlgFrame = True
    Borderwidth = 0
    ParentFont = False
    TabOrder = 2
  end
  object flPath: TQELFileLabel3D
    Left = 8
    Top = 80
    Width = 240
    Height = 20
    Filename = 'C:\Program\Data\Reports\2026\December\summary.txt'
    Font.Color = clNavy
    Font.Height = -13
    Font.Name = 'Arial'
    Font.Style = [fsBold]
    Transparent = True
    ParentFont = False
  end
  object flWide: TQELFileLabel3D
    Left = 256
    Top = 80
    Width = 376
    Height = 20
    Filename = 'C:\Program\Data\Reports\2026\December\summary.txt'
    Font.Color = clMaroon
    Font.Height = -13
    Font.Name = 'Arial'
    Font.Style = [fsBold]
    Frame.FrameStyle = frameLowered
    Transparent = True
    ParentFont = False
  end
  object hdBare: TQELHeader
    Left = 8
    Top = 112
    Width = 624
    Height = 25
    Font.Color = clWhite
    Font.Height = -11
    Font.Name = 'Arial'
    Font.Style = [fsBold]
    Font3D.Shadow = clBlack
    Font3D.Style3D = fontOnlyShadow
    ParentFont = False
    Sections.Sections = (
      #0'160'#0'Sizable'
      #0'120'#0'header'
      #0'200'#0'with a background'
      #0'75'#0'last')
    TabOrder = 3
    Background = bgHeader
  end
  object hlFiles: TQELHeaderList
    Left = 8
    Top = 148
    Width = 624
    Height = 300
    HeaderBorderStyle = bsNone
    Font.Color = clWindowText
    Font.Height = -11
    Font.Name = 'MS Sans Serif'
    Font.Style = []
    HeaderFont.Color = clNavy
    HeaderFont.Height = -11
    HeaderFont.Name = 'MS Sans Serif'
    HeaderFont.Style = [fsBold]
    Items.Strings = (
      'summary.txt;12 KB;Text document;2026-12-01'
      'report.pdf;1.2 MB;PDF document;2026-11-28'
      'photo.bmp;3.4 MB;Bitmap image;2026-11-02'
      'notes;;Folder;2026-10-17'
      'gallery.dfm;18 KB;Form file;2026-12-08'
      'build.log;640 KB;Log file;2026-12-08')
    HeaderSections.Sections = (
      #0'180'#0'Name'
      #0'90'#0'Size'
      #0'160'#0'Kind'
      #0'75'#0'Modified')
    TabOrder = 4
  end
end
