object InetMailConfig: TInetMailConfig
  Left = 0
  Top = 0
  BorderStyle = bsToolWindow
  Caption = 'Mail Messages'
  ClientHeight = 324
  ClientWidth = 235
  Color = clBtnFace
  Font.Height = -11
  Font.Name = 'MS Sans Serif'
  Font.Style = []
  Position = poScreenCenter
  PixelsPerInch = 96
  TextHeight = 13
  OnClose = FormClose
  object Bevel2: TBevel
    Left = 2
    Top = 2
    Width = 231
    Height = 30
    Shape = bsFrame
  end
  object SpeedButton1: TSpeedButton
    Left = 6
    Top = 5
    Width = 60
    Height = 24
    Caption = 'Component'
    Hint = 'Select the mail component'
    OnClick = SpeedButton1Click
  end
  object SpeedButton4: TSpeedButton
    Left = 6
    Top = 5
    Width = 60
    Height = 24
    Caption = 'Component'
    Hint = 'Select the mail component'
    Visible = False
    OnClick = SpeedButton4Click
  end
  object SpeedButton2: TSpeedButton
    Left = 136
    Top = 5
    Width = 60
    Height = 24
    Caption = '>>'
    Hint = 'Run the mail component'
    OnClick = SpeedButton2Click
  end
  object SpeedButton3: TSpeedButton
    Left = 202
    Top = 5
    Width = 27
    Height = 24
    Caption = 'X'
    Hint = 'Close'
    OnClick = SpeedButton3Click
  end
  object Label1: TLabel
    Left = 6
    Top = 38
    Width = 90
    Height = 13
    Caption = 'Mail Messages '
    Font.Height = -11
    Font.Name = 'MS Sans Serif'
    Font.Style = [fsBold]
    ParentFont = False
  end
  object ListBox1: TListBox
    Left = 6
    Top = 54
    Width = 223
    Height = 92
    ItemHeight = 13
    TabOrder = 0
    OnClick = ListBox1Click
  end
  object Button2: TButton
    Left = 6
    Top = 150
    Width = 70
    Height = 23
    Caption = '&Add'
    TabOrder = 1
    OnClick = Button2Click
  end
  object Button1: TButton
    Left = 82
    Top = 150
    Width = 70
    Height = 23
    Caption = '&Delete'
    TabOrder = 2
    OnClick = Button1Click
  end
  object Bevel1: TBevel
    Left = 6
    Top = 180
    Width = 223
    Height = 2
    Shape = bsTopLine
  end
  object Label2: TLabel
    Left = 6
    Top = 186
    Width = 100
    Height = 13
    Caption = 'File Attachments '
    Font.Height = -11
    Font.Name = 'MS Sans Serif'
    Font.Style = [fsBold]
    ParentFont = False
  end
  object ListBox2: TListBox
    Left = 6
    Top = 202
    Width = 223
    Height = 88
    ItemHeight = 13
    TabOrder = 3
  end
  object Button3: TButton
    Left = 6
    Top = 295
    Width = 70
    Height = 23
    Caption = '&Add'
    TabOrder = 4
    OnClick = Button3Click
  end
  object Button4: TButton
    Left = 82
    Top = 295
    Width = 70
    Height = 23
    Caption = '&Delete'
    TabOrder = 5
    OnClick = Button4Click
  end
  object Button5: TButton
    Left = 158
    Top = 295
    Width = 71
    Height = 23
    Caption = '&Save to ...'
    TabOrder = 6
    Visible = False
    OnClick = Button5Click
  end
  object OpenDialog1: TOpenDialog
    DefaultExt = '*.*'
    Filter = 'All Files|*.*'
    Title = 'Select your File Attachment'
  end
  object SaveDialog1: TSaveDialog
    Title = 'Save Attachment as'
  end
end
