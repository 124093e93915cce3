object Form1: TForm1
  object P: TMissing
    Items = <
      item
      end>
    object L: TQELLabel
    end
  end
end
