object ColorSel: TColorSel
  Left = 0
  Top = 0
  BorderStyle = bsToolWindow
  Caption = 'Add more Colors....'
  ClientHeight = 331
  ClientWidth = 204
  Color = clBtnFace
  Font.Height = -14
  Font.Name = 'MS Sans Serif'
  Font.Style = []
  FormStyle = fsStayOnTop
  KeyPreview = True
  Position = poScreenCenter
  PixelsPerInch = 96
  TextHeight = 16
  object Bevel1: TBevel
    Left = 0
    Top = 0
    Width = 198
    Height = 169
    Shape = bsFrame
  end
  object ListBox1: TListBox
    Left = 10
    Top = 10
    Width = 178
    Height = 149
    ItemHeight = 13
    Style = lbOwnerDrawFixed
    TabOrder = 0
  end
  object Button1: TButton
    Left = 1
    Top = 177
    Width = 198
    Height = 31
    Caption = '&Add Color'
    TabOrder = 1
    OnClick = Button1Click
  end
  object Button2: TButton
    Left = 1
    Top = 207
    Width = 198
    Height = 31
    Caption = '&Delete Color'
    TabOrder = 2
    OnClick = Button2Click
  end
  object Button3: TButton
    Left = 1
    Top = 236
    Width = 198
    Height = 31
    Caption = 'Move Color Up'
    TabOrder = 3
    OnClick = Button3Click
  end
  object Button4: TButton
    Left = 1
    Top = 266
    Width = 198
    Height = 31
    Caption = 'Move Color Down'
    TabOrder = 4
    OnClick = Button4Click
  end
  object Button5: TButton
    Left = 1
    Top = 295
    Width = 198
    Height = 31
    Caption = '&Close'
    TabOrder = 5
    OnClick = Button5Click
  end
  object CD1: TColorDialog
  end
end
